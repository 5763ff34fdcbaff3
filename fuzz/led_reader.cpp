// The .led reader, fed with any file: its lines, the actions of each line, and the values it
// sets, which the writer must then save so that they open unchanged.

#include "ledcommon.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList &keys()
{
    static const QStringList all{u"Model:"_s, u"Com:"_s, u"Pri0:"_s, u"Pri1:"_s, u"Pri2:"_s, u"Pri3:"_s, u"Pri4:"_s,
                                 u"LinkID0:"_s, u"LinkID1:"_s, u"LinkID2:"_s, u"LinkID3:"_s, u"LinkID4:"_s,
                                 u"LinkID5:"_s, u"LinkID6:"_s, u"LinkID7:"_s, u"DefaultMsg:"_s, u"DefaultFont:"_s,
                                 u"DefaultColor:"_s, u"DefaultStyle:"_s, u"DefaultAlignment:"_s,
                                 u"DefaultSpeed:"_s, u"DefaultPause:"_s, u"AutoID:"_s};
    return all;
}

void checkLines(const QByteArray &bytes, const QStringList &lines)
{
    // Split at LF with one CR at each end removed; nothing after the final LF.
    QList<QByteArray> pieces = bytes.split('\n');
    if (bytes.isEmpty() || bytes.endsWith('\n'))
        pieces.removeLast();
    const fuzz::Detail detail = [&] { return u"bytes "_s + fuzz::shown(QString::fromLatin1(bytes)); };
    FUZZ_CHECK(lines.size() == pieces.size(), detail);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray piece = pieces[i];
        if (piece.endsWith('\r'))
            piece.chop(1);
        FUZZ_CHECK(lines[i] == QString::fromLatin1(piece), detail + u", line "_s + QString::number(i));
    }
}

void checkReading(const QStringList &lines, const config::LedListSizes &sizes)
{
    const config::LedReadResult file = config::readLedFile(lines, sizes);
    const fuzz::Detail detail = [&] { return u"lines "_s + fuzz::shown(lines.join(u"\\n"_s)); };

    // A file reads as its lines in turn, up to and including the first line that fails.
    QList<config::LedFileAction> expected;
    std::optional<config::LedFileError> firstError;
    for (const QString &line : lines) {
        const config::LedReadResult one = config::readLedLine(line, sizes);
        const fuzz::Detail lineDetail = [&] { return u"line "_s + fuzz::shown(line); };
        for (const config::LedFileAction &a : one.actions)
            fuzz::checkAction(a, sizes, lineDetail);
        if (one.error)
            fuzz::checkError(*one.error, lineDetail);
        // A line that begins with a key is that key's line alone.
        for (const QString &key : keys()) {
            if (line.startsWith(key, Qt::CaseInsensitive))
                FUZZ_CHECK(one.actions.size() + (one.error ? 1 : 0) <= 1, lineDetail);
        }
        expected << one.actions;
        if (one.error) {
            firstError = one.error;
            break;
        }
    }
    FUZZ_CHECK(file.actions == expected && file.error == firstError, detail);

    // Whatever was read is a configuration the window can hold, and so one it can save and open
    // again unchanged.
    const config::LedFileRecord record = fuzz::applied(file.actions, {});
    fuzz::checkRoundTrip(record, record, sizes, detail);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QStringList lines = config::ledFileLines(bytes);
    checkLines(bytes, lines);

    // The main window's lists, and sizes drawn from the input (some lists without a size).
    for (const config::LedListSizes &sizes : {fuzz::mainWindowSizes(), fuzz::drawnSizes(fuzz::hashOf(data, size))})
        checkReading(lines, sizes);
    return 0;
}
