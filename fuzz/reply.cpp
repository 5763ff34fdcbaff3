// The main window's reply interpreter, fed with any line the sign could send.

#include "fuzzsupport.h"

#include "protocol/replyinterpreter.h"

#include <cmath>
#include <limits>

using namespace Qt::Literals::StringLiterals;
using protocol::ReplyAction;
using Kind = ReplyAction::Kind;

namespace {

bool hasWord(const QString &line, QStringView word) { return line.contains(word, Qt::CaseInsensitive); }

// The line with its ASCII letters in the other case and every other character as it is (Unicode
// case mapping would turn a Latin-1 "\xDF" into "SS").
QString asciiCase(QString line, bool upper)
{
    for (QChar &c : line) {
        if (c.unicode() < 0x80)
            c = upper ? c.toUpper() : c.toLower();
    }
    return line;
}

// The words that claim a line before the dump test does.
bool claimedBeforeTheDump(const QString &line)
{
    return hasWord(line, u"done") || hasWord(line, u"default") || hasWord(line, u"linked")
        || line.contains(u"ID Forced :") || line.contains(u"Force ID OFF");
}

void checkCountText(int progress)
{
    const QString text = protocol::uploadedCountText(progress);
    bool ok = false;
    const float back = text.toFloat(&ok);
    const float exact = float(progress) / 20.0f;
    const fuzz::Detail detail = [&] { return u"progress %1 gave %2"_s.arg(progress).arg(text); };
    FUZZ_CHECK(ok && !text.startsWith(u' '), detail);
    // Seven significant digits at most: the text may round, but never by more than that.
    FUZZ_CHECK(std::fabs(back - exact) <= std::fabs(exact) * 1e-6f, detail);
}

void checkLine(const QString &line, int progress)
{
    const ReplyAction action = protocol::interpretReply(line, progress);
    const fuzz::Detail detail = [&] {
        return u"line %1, progress %2, status %3"_s.arg(fuzz::shown(line)).arg(progress).arg(
        fuzz::shown(action.status));
    };

    // Pure: the same line gives the same action, and the progress only shows in the count.
    FUZZ_CHECK(protocol::interpretReply(line, progress) == action, detail);
    const ReplyAction other = protocol::interpretReply(line, progress ^ 0x55);
    FUZZ_CHECK(other.kind == action.kind, detail);

    // A refusal is "error" as the sign's own answer, whatever an echo, noise or a CR LF line end
    // put around it, and nothing else is one; it goes before every other word.
    const bool refused = fuzz::answerOf(line).compare(u"error", Qt::CaseInsensitive) == 0;
    FUZZ_CHECK(refused == (action.kind == Kind::Refused), detail);
    const bool done = hasWord(line, u"done") && !refused;
    const QString doneText = u"Uploaded "_s + protocol::uploadedCountText(progress) + u" Successfull"_s;
    FUZZ_CHECK(done == (action.kind == Kind::ShowStatus && action.status == doneText), detail);

    if (line.isEmpty())
        FUZZ_CHECK(action == ReplyAction{}, detail);
    // The whole-line words, and only they, give their fixed reports.
    const auto wholeLine = [&line](QStringView word) { return line.compare(word, Qt::CaseInsensitive) == 0; };
    if (wholeLine(u"delinked"))
        FUZZ_CHECK(action == ReplyAction{}, detail);
    for (const auto &[word, status] : {std::pair{u"user cmd"_s, u"User Command Uploaded"_s},
                                       std::pair{u"Auto ID"_s, u"Switched to Auto ID"_s},
                                       std::pair{u"User ID"_s, u"Switched to User ID"_s}}) {
        FUZZ_CHECK(wholeLine(word) == (action.kind == Kind::ShowStatus && action.status == status), detail);
    }
    if (action.kind != Kind::ShowStatus)
        FUZZ_CHECK(action.status.isEmpty(), detail);

    switch (action.kind) {
    case Kind::ConfigDump:
        // Only a line that none of the acknowledgement words claims reaches the dump reader.
        FUZZ_CHECK(line.contains(u':') && !claimedBeforeTheDump(line), detail);
        break;
    case Kind::ShowKeptStatus:
        FUZZ_CHECK(!line.contains(u' ') && (hasWord(line, u"default") || hasWord(line, u"linked")), detail);
        FUZZ_CHECK(!done, detail);
        break;
    case Kind::ShowStatus:
        if (action.status.startsWith(u"Default Uploaded : ") && !done) {
            FUZZ_CHECK(hasWord(line, u"default"), detail);
            FUZZ_CHECK(action.status.mid(19) == line.split(u' ').value(1), detail);
        } else if (action.status.startsWith(u"Linked ID : ") && !done) {
            FUZZ_CHECK(hasWord(line, u"linked") && !hasWord(line, u"default"), detail);
            FUZZ_CHECK(action.status.mid(12) == line.split(u' ').value(1), detail);
        } else if (action.status == line) {
            FUZZ_CHECK(line.contains(u"ID Forced :") || line.contains(u"Force ID OFF"), detail);
        }
        break;
    case Kind::Refused:
        FUZZ_CHECK(action.status.isEmpty(), detail);
        break;
    case Kind::Nothing:
        FUZZ_CHECK(!done && !refused, detail);
        // Without a ":" no dump is possible, and a claimed word always reports something
        // unless the whole line is "delinked".
        if (hasWord(line, u"default") || line.contains(u"ID Forced :") || line.contains(u"Force ID OFF"))
            FUZZ_CHECK(false, detail);
        if (hasWord(line, u"linked"))
            FUZZ_CHECK(line.compare(u"delinked", Qt::CaseInsensitive) == 0, detail);
        break;
    }

    // Letter case counts only in the two forced-ID answers and in nothing a line without ":"
    // could be taken for, so the kind of such a line stays when its case changes.
    if (!line.contains(u':') && !hasWord(line, u"Force ID OFF")) {
        FUZZ_CHECK(protocol::interpretReply(asciiCase(line, true), progress).kind == action.kind, detail);
        FUZZ_CHECK(protocol::interpretReply(asciiCase(line, false), progress).kind == action.kind, detail);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString line = fuzz::latin1(data, size);
    const int hashed = int(fuzz::hashOf(data, size));
    for (int progress : {0, 41, 140, hashed, std::numeric_limits<int>::min()}) {
        checkLine(line, progress);
        checkCountText(progress);
    }
    return 0;
}
