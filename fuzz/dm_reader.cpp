// The default-message conversation's reading side: the reply classifier, the dump reader and the
// stored-form decoder, fed with any line the sign could send.

#include "fuzzsupport.h"
#include "signform.h"

#include "protocol/defaultmessage.h"
#include "protocol/numbers.h"

#include <array>

using namespace Qt::Literals::StringLiterals;
using protocol::DefaultMessageDump;
using protocol::DefaultMessageReply;
using Kind = DefaultMessageReply::Kind;

namespace {

void checkDecoder(const QString &stored)
{
    const QString text = protocol::decodeStoredMessage(stored);
    const fuzz::Detail detail = [&] { return u"stored "_s + fuzz::shown(stored) + u" decoded "_s + fuzz::shown(text); };

    // Every code byte is gone, and text already in editor form stays as it is.
    qsizetype expectedSize = 0;
    for (QChar c : stored) {
        const char16_t u = c.unicode();
        if (u == fuzz::StoredBreak)
            expectedSize += 2;
        else if (u > fuzz::StoredBreak && u <= fuzz::StoredFirstToken + 7)
            expectedSize += protocol::timeTokens().at(u - fuzz::StoredFirstToken).size();
        else
            expectedSize += 1;
    }
    FUZZ_CHECK(text.size() == expectedSize, detail);
    FUZZ_CHECK(!fuzz::holdsCodes(text) || stored.contains(u'$'), detail);
    FUZZ_CHECK(protocol::decodeStoredMessage(text) == text, detail);
    // Decoding goes byte by byte, so it splits anywhere.
    const qsizetype half = stored.size() / 2;
    FUZZ_CHECK(protocol::decodeStoredMessage(stored.left(half)) + protocol::decodeStoredMessage(stored.mid(half)) == text,
               detail);
}

std::array<std::optional<qint16>, 6> positions(const DefaultMessageDump &d)
{
    return {d.font, d.style, d.color, d.speed, d.alignment, d.pause};
}

void checkDump(const QString &line)
{
    const DefaultMessageDump dump = protocol::readDefaultMessageDump(line);
    const fuzz::Detail detail = [&] { return u"line "_s + fuzz::shown(line); };

    const qsizetype colon = line.indexOf(u':');
    FUZZ_CHECK(dump.model == (colon < 0 ? line : line.left(colon)), detail);
    if (colon < 0) {
        FUZZ_CHECK(!dump.text && positions(dump) == decltype(positions(dump)){}, detail);
        return;
    }
    const QString data = line.mid(colon + 1);
    const QStringList commaFields = data.split(u',');
    // The message is everything after the eighth comma, commas and colons included.
    if (commaFields.size() >= 9)
        FUZZ_CHECK(dump.text == protocol::decodeStoredMessage(commaFields.mid(8).join(u',')), detail);
    else
        FUZZ_CHECK(!dump.text, detail);

    // A position is there only when its field is, and only the RW2290 moves it by its offset.
    const QStringList numberFields = data.section(u':', 0, 0).split(u',');
    const auto got = positions(dump);
    for (qsizetype k = 0; k < 6; ++k) {
        if (k >= numberFields.size())
            FUZZ_CHECK(!got[std::size_t(k)], detail);
    }
    const QString rest = line.mid(colon);
    const auto plain = positions(protocol::readDefaultMessageDump(u"KT420"_s + rest));
    const auto rw = positions(protocol::readDefaultMessageDump(u"RW2290"_s + rest));
    constexpr std::array<int, 6> offsets{64, 65, 65, 48, 49, 48};
    for (std::size_t k = 0; k < 6; ++k) {
        if (rw[k])
            FUZZ_CHECK(plain[k] && *plain[k] - *rw[k] == offsets[k], detail);
        if (plain[k] && !rw[k])
            FUZZ_CHECK(*plain[k] - offsets[k] < -32768, detail);
    }
    if (dump.model != u"RW2290")
        FUZZ_CHECK(got == plain, detail);

    // More text at the end of the line is more message and nothing else.
    if (dump.text) {
        const QString more = u",:"_s + QChar(fuzz::StoredBreak) + u"x"_s;
        const DefaultMessageDump longer = protocol::readDefaultMessageDump(line + more);
        FUZZ_CHECK(longer.text == *dump.text + protocol::decodeStoredMessage(more), detail);
        FUZZ_CHECK(positions(longer) == got && longer.model == dump.model, detail);
    }
}

void checkReply(const QString &received)
{
    // Only the sign's own answer counts: an echo, noise and a CR LF line end are taken off.
    const QString line = fuzz::answerOf(received);
    const bool done = line.contains(u"done", Qt::CaseInsensitive);
    const bool dumpForm = protocol::hasDefaultMessageDumpForm(line);
    for (bool awaiting : {false, true}) {
        const DefaultMessageReply first = protocol::interpretDefaultMessageReply(received, false, false, awaiting);
        // While a read waits, a line with the whole form of a dump is its answer, whatever its
        // message says; otherwise the line means what it means without a read.
        const bool answer = awaiting && dumpForm;
        for (bool on : {false, true}) {
            for (bool empty : {false, true}) {
                const DefaultMessageReply r = protocol::interpretDefaultMessageReply(received, on, empty, awaiting);
                const fuzz::Detail detail = [&] {
                    return u"line %1 on %2 empty %3 awaiting %4"_s.arg(fuzz::shown(received)).arg(on).arg(empty).arg(awaiting);
                };
                // The window's state only picks the words of the "done" report.
                FUZZ_CHECK(r.kind == first.kind, detail);
                if (answer) {
                    FUZZ_CHECK(r.kind == Kind::Dump && r.dump == protocol::readDefaultMessageDump(line), detail);
                    // The whole form holds the eighth comma, so the message is there (maybe empty).
                    FUZZ_CHECK(r.dump.text.has_value() && r.dump.font && r.dump.pause, detail);
                    continue;
                }
                if (awaiting)
                    FUZZ_CHECK(r.kind == protocol::interpretDefaultMessageReply(received, on, empty, false).kind, detail);
                if (done) {
                    FUZZ_CHECK(r.kind == Kind::ShowStatus, detail);
                    FUZZ_CHECK(r.status == (on && !empty ? protocol::removeMessageHint() : u"Upload Successfull"_s), detail);
                }
                switch (r.kind) {
                case Kind::Nothing:
                    FUZZ_CHECK(line.isEmpty(), detail);
                    break;
                case Kind::Refused:
                    FUZZ_CHECK(line.compare(u"error", Qt::CaseInsensitive) == 0, detail);
                    break;
                case Kind::TimeDisplay:
                    FUZZ_CHECK(line.startsWith(u"TIME") && !done, detail);
                    FUZZ_CHECK(r.timeDisplayOn == (line.section(u':', 2, 2) == u"1"), detail);
                    break;
                case Kind::Dump:
                    FUZZ_CHECK(!done && !line.startsWith(u"TIME") && !line.startsWith(u"default"), detail);
                    FUZZ_CHECK(r.dump == protocol::readDefaultMessageDump(line), detail);
                    break;
                case Kind::ShowStatus:
                    FUZZ_CHECK(done || line.startsWith(u"default"), detail);
                    break;
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = fuzz::latin1(data, size);
    checkDecoder(line);
    checkDump(line);
    checkReply(line);
    return 0;
}
