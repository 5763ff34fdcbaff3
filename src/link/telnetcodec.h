#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <array>

namespace signlink::telnet {

// The telnet bytes this tool meets (RFC 854, 855).
enum Byte : quint8 {
    SE = 240,
    NOP = 241,
    SB = 250,
    WILL = 251,
    WONT = 252,
    DO = 253,
    DONT = 254,
    IAC = 255,
};

// The options it may agree to.
enum Option : quint8 {
    Binary = 0,           // TRANSMIT-BINARY (RFC 856): bytes pass unchanged, CR without a NUL
    Echo = 1,
    SuppressGoAhead = 3,  // RFC 858
    ComPort = 44,         // COM-PORT-OPTION (RFC 2217)
};

// Data with every IAC byte doubled, as it must go out on a telnet connection.
QByteArray escape(QByteArrayView data);
// IAC verb option, e.g. IAC WILL BINARY.
QByteArray command(quint8 verb, quint8 option);
// IAC SB option payload IAC SE, the payload escaped.
QByteArray subnegotiation(quint8 option, QByteArrayView payload);

// The receiving side of a telnet connection, and the answers to the peer's option requests.
// Bytes go in as they arrive, split anywhere; out come the data bytes, the bytes to send back,
// and the completed sub-negotiations. Telnet commands never leak into the data: an option the
// tool does not want is refused (DONT/WONT), other commands are dropped, and a sub-negotiation
// is only ever handed over whole.
//
// Options follow RFC 1143: only a change of an option's state is answered, never a repeat of
// what stands, and an option the tool does not want is refused once, as it can never change.
// A peer repeating itself therefore gets nothing back, and the answers are bounded by the
// changes it asks for. What the codec holds between feeds is bounded too: a sub-negotiation
// longer than MaxSubnegotiation is a broken peer (no serial server sends one), and the codec
// then stops decoding for good: overflowed() says so, and the connection is to be dropped.
class TelnetCodec {
public:
    struct SubNegotiation {
        quint8 option = 0;
        QByteArray payload;  // unescaped
        bool operator==(const SubNegotiation &) const = default;
    };
    struct Decoded {
        QByteArray data;
        QByteArray replies;
        QList<SubNegotiation> subnegotiations;
    };

    // The options this side agrees to perform (answers DO with WILL) and lets the peer
    // perform (answers WILL with DO); every other is refused.
    TelnetCodec(QList<quint8> localOptions, QList<quint8> remoteOptions);

    // Asks to enable an option on this side (IAC WILL) or the peer's (IAC DO). The returned
    // bytes are to be sent; they are empty when the option is on or asked for already.
    QByteArray requestLocal(quint8 option);
    QByteArray requestRemote(quint8 option);

    // Once overflowed(), the rest of the bytes and all later ones are ignored.
    Decoded feed(QByteArrayView bytes);

    bool localEnabled(quint8 option) const { return m_local[option] == State::Yes; }
    bool remoteEnabled(quint8 option) const { return m_remote[option] == State::Yes; }
    // The peer said DONT (local) or WONT (remote) to an option that was on or asked for: it
    // refused a request of ours or took the option back.
    bool localRefused(quint8 option) const { return m_localRefused[option]; }
    bool remoteRefused(quint8 option) const { return m_remoteRefused[option]; }

    // The peer sent a sub-negotiation longer than MaxSubnegotiation.
    bool overflowed() const { return m_overflowed; }
    // The bytes held between feeds: the part of a sub-negotiation not yet ended. At most
    // MaxSubnegotiation.
    qsizetype held() const { return m_sub.payload.size(); }

    static constexpr qsizetype MaxSubnegotiation = 256;

private:
    enum class State : quint8 { No, Yes, WantYes };
    enum class Phase : quint8 { Data, Command, Verb, SubOption, SubData, SubCommand };

    static QByteArray request(State &state, bool &refused, quint8 verb, quint8 option);
    void onCommandByte(quint8 byte, Decoded &out);
    void onSubData(char c);
    void onOption(quint8 verb, quint8 option, Decoded &out);

    std::array<bool, 256> m_localWanted {};
    std::array<bool, 256> m_remoteWanted {};
    std::array<State, 256> m_local {};
    std::array<State, 256> m_remote {};
    std::array<bool, 256> m_localRefused {};
    std::array<bool, 256> m_remoteRefused {};
    // This side said WONT (local) or DONT (remote) to an offer of an option it does not want.
    std::array<bool, 256> m_localDeclined {};
    std::array<bool, 256> m_remoteDeclined {};

    Phase m_phase = Phase::Data;
    quint8 m_verb = 0;
    SubNegotiation m_sub;
    bool m_overflowed = false;
};

} // namespace signlink::telnet
