// The command line's strict .led reader, fed with any file: it either takes the whole file or
// refuses it with a line, and what it takes is exactly what opening the file in the window
// would show, holds all 23 settings, can be uploaded without a refusal, and saves and reads
// back unchanged.

#include "ledcommon.h"

#include "cli/ledinput.h"
#include "session/configsession.h"
#include "session/shownvalues.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Path = u"site.led"_s;

void checkRefusal(const cli::LedInputError &error, const QStringList &lines, const fuzz::Detail &detail)
{
    FUZZ_CHECK(error.path == Path && !error.reason.isEmpty(), detail);
    FUZZ_CHECK(error.line >= 0 && error.line <= lines.size(), detail);
    FUZZ_CHECK(error.text().startsWith(Path + u':'), detail);
}

void checkTaken(const cli::LedInput &input, const QStringList &lines, const fuzz::Detail &detail)
{
    FUZZ_CHECK(input.path == Path && input.model == input.record.model, detail);
    // One action for each of the 23 settings, and the record is them applied.
    FUZZ_CHECK(input.actions.size() == 23, detail);
    FUZZ_CHECK(input.record == fuzz::applied(input.actions, {}), detail);

    // The tolerant reader of File > Open, with the lists of the file's model, reads the same.
    const config::LedListSizes sizes = session::ledListSizes(input.model);
    for (const config::LedFileAction &action : input.actions)
        fuzz::checkAction(action, sizes, detail);
    const config::LedReadResult open = config::readLedFile(lines, sizes);
    FUZZ_CHECK(!open.error, detail);
    FUZZ_CHECK(fuzz::applied(open.actions, {}) == input.record, detail + u"\n     record "_s + fuzz::shown(input.record));

    // Nothing a write sends from it is refused once the sign has been read.
    const config::ConfigValues values = session::valuesFromRecord(input.record, {});
    const std::optional<QString> refusal = session::ConfigSession::uploadRefusal(values);
    FUZZ_CHECK(!refusal, detail + u"\n     refused "_s + refusal.value_or(QString()));

    // Saved as File > Save writes it, it is taken again, unchanged. A default message with the
    // sign's time-field codes cannot be saved at all, which the writer says.
    if (config::whyUnstorable(input.record))
        return;
    const config::SaveBytes saved = config::saveTextBytes(config::ledFileText(input.record));
    FUZZ_CHECK(saved.bytes.has_value(), detail);
    const cli::LedInputResult again = cli::parseLedBytes(Path, *saved.bytes);
    FUZZ_CHECK(again.input && !again.error,
               detail + u"\n     saved "_s + fuzz::shown(QString::fromLatin1(*saved.bytes))
                   + u"\n     refused "_s + (again.error ? again.error->text() : QString()));
    FUZZ_CHECK(again.input->record == input.record, detail + u"\n     read back "_s + fuzz::shown(again.input->record));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = config::ledFileLines(bytes);
    const fuzz::Detail detail = [&] { return u"bytes "_s + fuzz::shown(QString::fromLatin1(bytes)); };

    const cli::LedInputResult result = cli::parseLedBytes(Path, bytes);
    FUZZ_CHECK(result.input.has_value() != result.error.has_value(), detail);
    if (result.error)
        checkRefusal(*result.error, lines, detail);
    else
        checkTaken(*result.input, lines, detail);
    return 0;
}
