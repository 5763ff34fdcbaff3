#include "link/telnetcodec.h"

#include <utility>

namespace signlink::telnet {

QByteArray escape(QByteArrayView data)
{
    QByteArray out;
    out.reserve(data.size());
    for (char c : data) {
        out += c;
        if (quint8(c) == IAC)
            out += c;
    }
    return out;
}

QByteArray command(quint8 verb, quint8 option)
{
    const char bytes[] = {char(IAC), char(verb), char(option)};
    return QByteArray(bytes, sizeof bytes);
}

QByteArray subnegotiation(quint8 option, QByteArrayView payload)
{
    const char start[] = {char(IAC), char(SB)};
    const char end[] = {char(IAC), char(SE)};
    // The option code is no data: it goes as it is, as the decoder takes it.
    return QByteArray(start, sizeof start) + char(option) + escape(payload) + QByteArray(end, sizeof end);
}

TelnetCodec::TelnetCodec(QList<quint8> localOptions, QList<quint8> remoteOptions)
{
    for (quint8 option : localOptions)
        m_localWanted[option] = true;
    for (quint8 option : remoteOptions)
        m_remoteWanted[option] = true;
}

QByteArray TelnetCodec::requestLocal(quint8 option)
{
    return request(m_local[option], m_localRefused[option], WILL, option);
}

QByteArray TelnetCodec::requestRemote(quint8 option)
{
    return request(m_remote[option], m_remoteRefused[option], DO, option);
}

QByteArray TelnetCodec::request(State &state, bool &refused, quint8 verb, quint8 option)
{
    if (state != State::No)
        return {};
    state = State::WantYes;
    refused = false;
    return command(verb, option);
}

TelnetCodec::Decoded TelnetCodec::feed(QByteArrayView bytes)
{
    Decoded out;
    out.data.reserve(bytes.size());
    for (char c : bytes) {
        if (m_overflowed)
            break;
        const quint8 byte = quint8(c);
        switch (m_phase) {
        case Phase::Data:
            if (byte == IAC)
                m_phase = Phase::Command;
            else
                out.data += c;
            break;
        case Phase::Command:
            onCommandByte(byte, out);
            break;
        case Phase::Verb:
            onOption(m_verb, byte, out);
            m_phase = Phase::Data;
            break;
        case Phase::SubOption:
            m_sub = {byte, {}};
            m_phase = Phase::SubData;
            break;
        case Phase::SubData:
            if (byte == IAC)
                m_phase = Phase::SubCommand;
            else
                onSubData(c);
            break;
        case Phase::SubCommand:
            if (byte == IAC) {
                onSubData(c);
                m_phase = Phase::SubData;
            } else if (byte == SE) {
                out.subnegotiations.append(std::exchange(m_sub, {}));
                m_phase = Phase::Data;
            } else {
                // A command inside a sub-negotiation breaks it off: drop what was gathered and
                // take the command as it stands, so that a lost SE cannot swallow the stream.
                m_sub = {};
                onCommandByte(byte, out);
            }
            break;
        }
    }
    return out;
}

void TelnetCodec::onSubData(char c)
{
    if (m_sub.payload.size() >= MaxSubnegotiation) {
        m_overflowed = true;
        m_sub = {};
        return;
    }
    m_sub.payload += c;
}

void TelnetCodec::onCommandByte(quint8 byte, Decoded &out)
{
    switch (byte) {
    case IAC:
        out.data += char(IAC);
        m_phase = Phase::Data;
        break;
    case WILL:
    case WONT:
    case DO:
    case DONT:
        m_verb = byte;
        m_phase = Phase::Verb;
        break;
    case SB:
        m_phase = Phase::SubOption;
        break;
    default:
        // NOP, data mark, break, go ahead and the rest mean nothing to a sign's line, and a
        // byte that is no telnet command at all is dropped with its IAC.
        m_phase = Phase::Data;
        break;
    }
}

void TelnetCodec::onOption(quint8 verb, quint8 option, Decoded &out)
{
    const bool local = verb == DO || verb == DONT;
    const bool positive = verb == WILL || verb == DO;
    State &state = local ? m_local[option] : m_remote[option];
    const bool wanted = local ? m_localWanted[option] : m_remoteWanted[option];
    const quint8 yes = local ? WILL : DO;
    const quint8 no = local ? WONT : DONT;

    if (positive) {
        if (state == State::WantYes) {
            state = State::Yes;  // the answer to our own request
        } else if (state == State::No) {
            if (wanted) {
                state = State::Yes;
                out.replies += command(yes, option);
            } else if (bool &declined = (local ? m_localDeclined : m_remoteDeclined)[option]; !declined) {
                // Once: a peer that offers it again has been told, and the option stays off.
                declined = true;
                out.replies += command(no, option);
            }
        }
        return;
    }
    if (state == State::WantYes) {
        state = State::No;
        (local ? m_localRefused : m_remoteRefused)[option] = true;
    } else if (state == State::Yes) {
        state = State::No;
        (local ? m_localRefused : m_remoteRefused)[option] = true;
        out.replies += command(no, option);
    }
}

} // namespace signlink::telnet
