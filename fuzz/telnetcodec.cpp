// The telnet decoder of an RFC 2217 connection, fed with whatever a server on the network could
// send, cut into reads anywhere: once as it comes, once as escaped data, and once read as a
// script of data and well-formed commands (see checkScript()).

#include "fuzzsupport.h"

#include "link/telnetcodec.h"

#include <algorithm>
#include <array>

using namespace Qt::Literals::StringLiterals;
using namespace signlink::telnet;

namespace {

// What the RFC 2217 connection agrees to: binary and suppress-go-ahead both ways, and the COM
// port option on this side.
TelnetCodec codec(bool requestFirst, QByteArray *requests = nullptr)
{
    TelnetCodec c({Binary, SuppressGoAhead, ComPort}, {Binary, SuppressGoAhead});
    if (requestFirst) {
        const QByteArray sent = c.requestLocal(Binary) + c.requestRemote(Binary) + c.requestLocal(ComPort)
                                + c.requestRemote(SuppressGoAhead);
        if (requests)
            *requests = sent;
    }
    return c;
}

QString hex(QByteArrayView bytes) { return QString::fromLatin1(bytes.toByteArray().toHex(' ')); }

// Cuts `bytes` into reads of 1 to 16 bytes, the lengths drawn from `seed`.
QList<QByteArrayView> reads(QByteArrayView bytes, std::uint32_t seed)
{
    QList<QByteArrayView> out;
    for (qsizetype at = 0; at < bytes.size();) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(1 + (seed >> 16) % 16, bytes.size() - at);
        out.append(bytes.sliced(at, length));
        at += length;
    }
    return out;
}

struct Outcome {
    QByteArray data;
    QByteArray replies;
    QList<TelnetCodec::SubNegotiation> subnegotiations;
};

// Feeds the reads in turn, checking after each what the decoder may hold.
Outcome feedAll(TelnetCodec &c, const QList<QByteArrayView> &parts, const fuzz::Detail &detail)
{
    Outcome out;
    for (QByteArrayView part : parts) {
        const TelnetCodec::Decoded d = c.feed(part);
        FUZZ_CHECK(c.held() >= 0 && c.held() <= TelnetCodec::MaxSubnegotiation, detail);
        FUZZ_CHECK(!c.overflowed() || c.held() == 0, detail);
        out.data += d.data;
        out.replies += d.replies;
        out.subnegotiations += d.subnegotiations;
    }
    for (const TelnetCodec::SubNegotiation &sub : out.subnegotiations)
        FUZZ_CHECK(sub.payload.size() <= TelnetCodec::MaxSubnegotiation, detail);
    return out;
}

bool isOptionVerb(quint8 b) { return b == WILL || b == WONT || b == DO || b == DONT; }

// Any bytes, read at once and read byte by byte: the same outcome, answers only to changes of
// an option's state (and one refusal of an unwanted option), every answer a whole command.
void checkAnyStream(QByteArrayView input, std::uint32_t seed)
{
    const fuzz::Detail detail = [&] { return u"stream "_s + hex(input); };
    const bool requestFirst = seed & 1;
    TelnetCodec whole = codec(requestFirst);
    const Outcome once = feedAll(whole, {input}, detail);

    TelnetCodec split = codec(requestFirst);
    const Outcome cut = feedAll(split, reads(input, seed), detail);
    FUZZ_CHECK(cut.data == once.data && cut.replies == once.replies && cut.subnegotiations == once.subnegotiations,
               detail);

    TelnetCodec stepwise = codec(requestFirst);
    Outcome step;
    std::array<int, 512> refusals {};
    for (qsizetype i = 0; i < input.size(); ++i) {
        // A command that this byte completes is about the option the byte names.
        const quint8 option = quint8(input[i]);
        const bool before[2] = {stepwise.localEnabled(option), stepwise.remoteEnabled(option)};
        const TelnetCodec::Decoded one = stepwise.feed(input.sliced(i, 1));
        FUZZ_CHECK(stepwise.held() <= TelnetCodec::MaxSubnegotiation, detail);
        step.data += one.data;
        step.replies += one.replies;
        step.subnegotiations += one.subnegotiations;
        if (one.replies.isEmpty())
            continue;
        const fuzz::Detail here = [&] { return detail + u" answered %1 at byte %2"_s.arg(hex(one.replies)).arg(i); };
        // One byte completes at most one command, and so gets at most one answer.
        FUZZ_CHECK(one.replies.size() == 3 && quint8(one.replies[0]) == IAC && isOptionVerb(quint8(one.replies[1]))
                       && quint8(one.replies[2]) == option,
                   here);
        const quint8 verb = quint8(one.replies[1]);
        const int side = verb == WILL || verb == WONT ? 0 : 1;
        const bool now = side == 0 ? stepwise.localEnabled(option) : stepwise.remoteEnabled(option);
        const bool positive = verb == WILL || verb == DO;
        FUZZ_CHECK(now == positive, here);
        if (now == before[side])
            FUZZ_CHECK(!positive && ++refusals[side * 256 + option] == 1, here);
    }
    FUZZ_CHECK(step.data == once.data && step.replies == once.replies && step.subnegotiations == once.subnegotiations,
               detail);
    for (int o = 0; o < 256; ++o) {
        FUZZ_CHECK(stepwise.localEnabled(quint8(o)) == whole.localEnabled(quint8(o))
                       && stepwise.remoteEnabled(quint8(o)) == whole.remoteEnabled(quint8(o)),
                   detail);
    }
    FUZZ_CHECK(stepwise.overflowed() == whole.overflowed() && stepwise.held() == whole.held(), detail);
}

// Escaping then decoding gives any bytes back, with nothing to answer.
void checkRoundTrip(QByteArrayView data, std::uint32_t seed)
{
    const fuzz::Detail detail = [&] { return u"data "_s + hex(data); };
    const QByteArray wire = escape(data);
    FUZZ_CHECK(wire.size() == data.size() + data.count(char(IAC)), detail);
    TelnetCodec c = codec(seed & 1);
    const Outcome out = feedAll(c, reads(wire, seed), detail);
    FUZZ_CHECK(out.data == data, detail);
    FUZZ_CHECK(out.replies.isEmpty() && out.subnegotiations.isEmpty() && c.held() == 0 && !c.overflowed(), detail);
}

// The input read as a script: each step a run of data, an option command, a sub-negotiation of
// at most MaxSubnegotiation bytes, or a command without meaning, written out as a server would.
// Decoded in any reads, the data comes out whole and the sub-negotiations each once, as sent.
void checkScript(QByteArrayView input, std::uint32_t seed)
{
    QByteArray wire;
    QByteArray data;
    QList<TelnetCodec::SubNegotiation> subs;
    for (qsizetype at = 0; at + 1 < input.size();) {
        const quint8 kind = quint8(input[at]);
        const qsizetype length = quint8(input[at + 1]);
        at += 2;
        switch (kind % 4) {
        case 0: {
            const QByteArrayView run = input.sliced(at, std::min(length % 32, input.size() - at));
            at += run.size();
            data += run;
            wire += escape(run);
            break;
        }
        case 1:
            wire += command(quint8(WILL + (kind >> 2) % 4), quint8(length));
            break;
        case 2: {
            const QByteArrayView payload = input.sliced(at, std::min(length, input.size() - at));
            at += payload.size();
            subs.append({quint8(kind >> 2), payload.toByteArray()});
            wire += subnegotiation(quint8(kind >> 2), payload);
            break;
        }
        default:
            wire += QByteArray(1, char(IAC)) + char(NOP + length % 9);  // NOP to GA
            break;
        }
    }
    const fuzz::Detail detail = [&] { return u"script "_s + hex(input) + u" wire "_s + hex(wire); };
    TelnetCodec c = codec(seed & 1);
    const Outcome out = feedAll(c, reads(wire, seed), detail);
    FUZZ_CHECK(out.data == data, detail);
    FUZZ_CHECK(out.subnegotiations == subs, detail);
    FUZZ_CHECK(c.held() == 0 && !c.overflowed(), detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *bytes, std::size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(bytes), qsizetype(size));
    const std::uint32_t seed = fuzz::hashOf(bytes, size);
    checkAnyStream(input, seed);
    checkRoundTrip(input, seed);
    checkScript(input, seed);
    return 0;
}
