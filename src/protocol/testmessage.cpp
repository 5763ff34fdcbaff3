#include "protocol/testmessage.h"

#include "protocol/numbers.h"
#include "protocol/replyinterpreter.h"

#include <array>

using namespace Qt::Literals::StringLiterals;

namespace protocol {

namespace {

struct FontRow {
    const char16_t *typeface;
    int pointSize;
    bool bold;
    bool accent;
};

// Font list position -> the editor attributes that stand for it.
constexpr std::array<FontRow, 25> fontTable{{
    {u"Arial", 8, false, false},
    {u"Arial", 9, false, false},
    {u"Arial", 9, true, false},
    {u"Arial Black", 9, false, false},
    {u"Arial Black", 9, true, false},
    {u"Arial", 10, false, false},
    {u"Arial", 10, true, false},
    {u"Arial Black", 10, false, false},
    {u"Arial Black", 11, true, false},
    {u"Arial", 11, false, true},
    {u"Times New Roman", 11, false, false},
    {u"Book Antiqua", 11, false, false},
    {u"Times New Roman", 11, true, false},
    {u"Book Antiqua", 11, true, false},
    {u"Times New Roman", 11, true, true},
    {u"Arial", 12, false, false},
    {u"Arial", 12, true, false},
    {u"Arial Black", 12, false, false},
    {u"Arial Black", 12, true, false},
    {u"Arial", 16, false, false},
    {u"Arial", 16, true, false},
    {u"Arial Black", 16, false, false},
    {u"Arial Black", 16, true, false},
    {u"Arial", 16, false, true},
    {u"Times New Roman", 16, false, true},
}};

// Colour list position -> preview colour. Positions 9 to 11 share grey.
constexpr std::array<Rgb, 13> colorTable{{
    {118, 129, 97}, {255, 0, 0},   {0, 255, 0},     {128, 0, 0},     {0, 128, 0},
    {240, 240, 0},  {85, 43, 0},   {200, 200, 0},   {255, 138, 21},  {128, 128, 128},
    {128, 128, 128}, {128, 128, 128}, {0, 0, 0},
}};

// Bracketed time tokens in format-number order: token n goes out as "$T" followed by n.
constexpr std::array<const char16_t *, 8> bracketedTimeTokens{
    u"<hh:mm:ss>", u"<hh:mm:ss A/PM>", u"<hh:mm>",      u"<hh:mm A/PM>",
    u"<mm/dd/yyyy>", u"<yyyy-mm-dd>", u"<dd.MM yyyy>", u"<mm'dd'yy>",
};

QString inTextCode(char16_t kind, int position)
{
    const QChar code[] = {u'$', QChar(kind), QChar(char16_t(u'A' + position))};
    return QString(code, 3);
}

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator;
}

} // namespace

std::optional<EditorFont> fontAttributes(int position)
{
    if (position < 0 || position >= int(fontTable.size()))
        return std::nullopt;
    const FontRow &row = fontTable[std::size_t(position)];
    return EditorFont{QString::fromUtf16(row.typeface), double(row.pointSize), row.bold, row.accent};
}

std::optional<int> fontPositionFor(const EditorFont &font)
{
    // Read-back rules rather than a lookup in fontTable: where a size has one sign font only,
    // bold and accent do not count.
    const double size = font.pointSize;
    const bool bold = font.bold;
    const bool accent = font.accent;
    if (font.typeface == u"Arial") {
        if (size == 8) return 0;
        if (size == 9) return bold ? 2 : 1;
        if (size == 10) return bold ? 6 : 5;
        if (size == 11) return 9;
        if (size == 12) return bold ? 16 : 15;
        if (size == 16) return bold ? 20 : accent ? 23 : 19;
    } else if (font.typeface == u"Arial Black") {
        if (size == 9) return bold ? 4 : 3;
        if (size == 10) return 7;
        if (size == 11) return 8;
        if (size == 12) return bold ? 18 : 17;
        if (size == 16) return bold ? 22 : 21;
    } else if (font.typeface == u"Times New Roman") {
        if (size == 11) {
            if (!bold && !accent) return 10;
            if (bold && !accent) return 12;
            if (bold && accent) return 14;
            return std::nullopt;
        }
        if (size == 16) return 24;
    } else if (font.typeface == u"Book Antiqua") {
        if (size == 11) return bold ? 13 : 11;
    }
    return std::nullopt;
}

std::optional<Rgb> previewColor(int position)
{
    if (position < 0 || position >= int(colorTable.size()))
        return std::nullopt;
    return colorTable[std::size_t(position)];
}

std::optional<int> colorPositionFor(Rgb color)
{
    for (std::size_t i = 0; i < colorTable.size(); ++i) {
        if (colorTable[i] == color)
            return int(i);
    }
    return std::nullopt;
}

std::optional<EditorAlignment> editorAlignment(int position)
{
    switch (position) {
    case 0: return EditorAlignment::Left;
    case 1: return EditorAlignment::Right;
    case 2: return EditorAlignment::Center;
    default: return std::nullopt;
    }
}

QString composeText(const QList<ComposedChar> &chars, std::optional<Rgb> startColor)
{
    QString text;
    text.reserve(chars.size());
    std::optional<EditorFont> lastFont;
    std::optional<Rgb> signColor = startColor;
    for (const ComposedChar &c : chars) {
        if (c.character != u' ') {
            if (!lastFont || *lastFont != c.font) {
                if (const auto position = fontPositionFor(c.font))
                    text += inTextCode(u'F', *position);
                lastFont = c.font;
            }
            if (signColor && *signColor != c.color) {
                if (const auto position = colorPositionFor(c.color))
                    text += inTextCode(u'C', *position);
            }
            // A colour without a code is still remembered, so that going back to the earlier
            // colour writes its code again.
            signColor = c.color;
        }
        text += isLineBreak(c.character) ? QChar(u'\n') : c.character;
    }
    return text;
}

QString testMessageCommand(int messageId, const PriorityCodes &lists, const QString &timeoutText,
                           const QString &text)
{
    // Style before colour and beep present: the sign reads this command in its own order.
    // Timeout and text are appended rather than passed to arg(), so a typed "%1" stays as is.
    return u"<id=%1 f=%2 s=%3 c=%4 a=%5 b=%6 p=%7 sp=%8 t="_s.arg(messageId)
               .arg(lists.font)
               .arg(lists.style)
               .arg(lists.color)
               .arg(lists.alignment)
               .arg(lists.beep)
               .arg(lists.pause)
               .arg(lists.speed)
        + timeoutText + u'>' + text;
}

QString encodeTimeTokensAndLineBreaks(QString command)
{
    for (std::size_t n = 0; n < bracketedTimeTokens.size(); ++n)
        command.replace(QString::fromUtf16(bracketedTimeTokens[n]), u"$T"_s + QString::number(n));
    command.replace(u'\n', u"$L"_s);
    command.remove(u'\r');
    // A break after the last line would only add an empty line on the sign.
    if (command.endsWith(u"$L"))
        command.chop(2);
    return command;
}

EncodedTestMessage encodeTestMessage(const QList<ComposedChar> &chars, int messageId,
                                     const PriorityCodes &lists, const QString &timeoutText)
{
    EncodedTestMessage result;
    QString text = composeText(chars, previewColor(lists.color));

    // The first font travels in " f=", later changes in the text.
    PriorityCodes sent = lists;
    if (text.size() >= 3 && text.startsWith(u"$F")) {
        const int position = text.at(2).unicode() - u'A';
        if (position >= 0 && position < int(fontTable.size())) {
            result.leadingFontPosition = position;
            sent.font = position;
            text.remove(0, 3);
        }
    }

    result.command = encodeTimeTokensAndLineBreaks(testMessageCommand(messageId, sent, timeoutText, text));
    result.unsendable = firstUnsendableChar(result.command);
    return result;
}

TestMessageReply interpretTestMessageReply(const QString &received, bool awaitingDump)
{
    // An echo in front and a CR LF line end are not the sign's answer.
    const QString line = signsAnswer(received);
    using Kind = TestMessageReply::Kind;
    TestMessageReply reply;
    if (line.isEmpty())
        return reply;
    const bool clock = line.contains("SET TIME"_L1, Qt::CaseInsensitive);
    const bool answer = awaitingDump && !clock && hasDefaultMessageDumpForm(line);
    if (!answer && line.contains("done"_L1, Qt::CaseInsensitive)) {
        reply.kind = Kind::ShowStatus;
        reply.status = u"Upload Successfull"_s;
        return reply;
    }
    if (line.compare("error"_L1, Qt::CaseInsensitive) == 0) {
        reply.kind = Kind::Refused;
        return reply;
    }
    if (!line.contains(u':') || clock)
        return reply;

    DefaultMessageDump dump = readDefaultMessageDump(line);
    if (!dump.text)
        return reply;
    // The dump reader takes these offsets off for the RW2290 only; this window always does.
    if (dump.model != u"RW2290") {
        constexpr std::array<int, 6> offsets{64, 65, 65, 48, 49, 48};
        const std::array<std::optional<qint16> *, 6> fields{&dump.font,  &dump.style,     &dump.color,
                                                            &dump.speed, &dump.alignment, &dump.pause};
        for (std::size_t k = 0; k < fields.size(); ++k) {
            if (*fields[k])
                *fields[k] = toInt16(double(**fields[k]) - offsets[k]);
        }
    }
    reply.kind = Kind::Dump;
    reply.dump = dump;
    return reply;
}

} // namespace protocol
