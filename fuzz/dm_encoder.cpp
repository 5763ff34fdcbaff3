// The default-message encoder, fed with any editor text. A text without codes must come back
// from the sign as it was written: encoded for Upload, stored by the sign, sent back in its
// dump and decoded, it reads as the editor text with each line break as CR LF and without the
// one break at its very end that the encoder drops.
//
// "Without codes" means: no "$L" or "$T" of its own, none of the bytes 170 to 178 (the sign's
// stored codes, so a typed U+00AA comes back as a line break), and a CR only as part of CR LF
// (the encoder drops a lone CR).

#include "fuzzsupport.h"
#include "signform.h"

#include "protocol/defaultmessage.h"

using namespace Qt::Literals::StringLiterals;
using protocol::DefaultMessageCodes;

namespace {

bool loneCarriageReturn(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            return true;
    }
    return false;
}

// The editor text as it comes back: breaks as CR LF, the last break of all dropped.
QString expectedBack(QString text)
{
    text.replace(u"\r\n"_s, u"\n"_s);
    if (text.endsWith(u'\n'))
        text.chop(1);
    text.replace(u"\n"_s, u"\r\n"_s);
    return text;
}

void check(const QString &text, const DefaultMessageCodes &codes)
{
    const fuzz::Detail detail = [&] {
        return u"text %1 codes f=%2 c=%3"_s.arg(fuzz::shown(text)).arg(codes.font).arg(codes.color);
    };

    const auto withTime = protocol::defaultMessageUploadCommand(codes, text, true);
    const auto command = protocol::defaultMessageUploadCommand(codes, text, false);
    if (text.isEmpty()) {
        FUZZ_CHECK(withTime == protocol::removeDefaultMessageCommand() && command == withTime, detail);
        return;
    }
    FUZZ_CHECK(!withTime, detail);
    FUZZ_CHECK(command.has_value(), detail);

    const QString prefix = protocol::writeDefaultMessageCommand(codes, QString());
    FUZZ_CHECK(command->startsWith(prefix), detail + u" command "_s + fuzz::shown(*command));
    const QString wire = command->mid(prefix.size());
    // The command is one line, and its text is encoded on its own.
    FUZZ_CHECK(!wire.contains(u'\n') && !wire.contains(u'\r'), detail);
    FUZZ_CHECK(wire == protocol::encodeForSign(text), detail);

    if (fuzz::holdsCodes(text) || loneCarriageReturn(text))
        return;

    const QString stored = fuzz::signStoredForm(wire);
    const QString expected = expectedBack(text);
    const fuzz::Detail roundDetail = [&] {
        return detail + u" wire "_s + fuzz::shown(wire) + u" expected "_s + fuzz::shown(expected);
    };
    FUZZ_CHECK(protocol::decodeStoredMessage(stored) == expected,
               roundDetail + u" decoded "_s + fuzz::shown(protocol::decodeStoredMessage(stored)));

    // The same through the sign's dump, whose message may hold any "," or ":".
    for (const QString &header : {u"RW2290:65,66,67,49,50,48,0,0,"_s, u"QB7:1,2,3,4,5,6,7,8,"_s}) {
        const protocol::DefaultMessageDump dump = protocol::readDefaultMessageDump(header + stored);
        FUZZ_CHECK(dump.text == expected, roundDetail + u" from dump"_s);
        FUZZ_CHECK(dump.font == 1 && dump.pause.has_value(), roundDetail + u" from dump"_s);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzz::latin1(data, size);
    const std::uint32_t h = fuzz::hashOf(data, size);
    const DefaultMessageCodes hashed{int(h % 40) - 1, int(h >> 8 & 15) - 1, int(h >> 12 & 15) - 1, int(h >> 16 & 3) - 1,
                                     int(h >> 18 & 15) - 1, int(h >> 22) - 1};
    for (const DefaultMessageCodes &codes : {DefaultMessageCodes{}, DefaultMessageCodes{2, 1, 0, 2, 3, 4}, hashed})
        check(text, codes);
    return 0;
}
