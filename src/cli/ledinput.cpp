#include "cli/ledinput.h"

#include "session/configsession.h"
#include "session/shownvalues.h"

#include <QFile>
#include <QFileInfo>

#include <type_traits>

namespace cli {

namespace {

// A .led file is 23 short lines; the default message is the longest. Anything far past that
// is not one.
constexpr qint64 LargestFile = 64 * 1024;

// The settings a whole file holds, by what their lines do.
constexpr int SettingCount = 23;
enum Slot { ModelSlot = 0, ComSlot = 1, FirstPrioritySlot = 2, FirstLinkSlot = 7, DefMsgSlot = 15,
            FirstDefValueSlot = 16, AutoIdSlot = 22 };

int slotOf(const config::LedFileAction &action)
{
    return std::visit(
        [](const auto &a) -> int {
            using A = std::decay_t<decltype(a)>;
            if constexpr (std::is_same_v<A, config::led::SetModel>)
                return ModelSlot;
            else if constexpr (std::is_same_v<A, config::led::SetComPort>)
                return ComSlot;
            else if constexpr (std::is_same_v<A, config::led::SetPriority>)
                return FirstPrioritySlot + a.row;
            else if constexpr (std::is_same_v<A, config::led::SetLink> || std::is_same_v<A, config::led::ClearLink>)
                return FirstLinkSlot + a.id;
            else if constexpr (std::is_same_v<A, config::led::SetDefMsg>)
                return DefMsgSlot;
            else if constexpr (std::is_same_v<A, config::led::SetDefValue>)
                return FirstDefValueSlot + int(a.field);
            else
                return AutoIdSlot;
        },
        action);
}

QString slotKey(int slot)
{
    static const char *const keys[SettingCount] = {
        "Model:",   "Com:",     "Pri0:",    "Pri1:",    "Pri2:",    "Pri3:",       "Pri4:",        "LinkID0:",
        "LinkID1:", "LinkID2:", "LinkID3:", "LinkID4:", "LinkID5:", "LinkID6:",    "LinkID7:",     "DefaultMsg:",
        "DefaultFont:", "DefaultColor:", "DefaultStyle:", "DefaultAlignment:", "DefaultSpeed:", "DefaultPause:",
        "AutoID:"};
    return QString::fromLatin1(keys[slot]);
}

// What the sign cannot be sent as the line holds it, checked as an upload checks it: found
// here, it is named with its line before any sign is touched.
std::optional<QString> unsendable(const config::LedFileAction &action)
{
    if (const auto *priority = std::get_if<config::led::SetPriority>(&action))
        return session::ConfigSession::timeoutRefusal(priority->row, priority->values.timeout);
    if (const auto *link = std::get_if<config::led::SetLink>(&action))
        return session::ConfigSession::capcodeRefusal(link->id, link->capcode);
    return std::nullopt;
}

LedInputResult failure(const QString &path, int line, const QString &reason)
{
    return {std::nullopt, LedInputError{path, line, reason}};
}

} // namespace

QString LedInputError::text() const
{
    if (line > 0)
        return QStringLiteral("%1:%2: %3").arg(path).arg(line).arg(reason);
    return QStringLiteral("%1: %2").arg(path, reason);
}

config::LedFileRecord LedInput::appliedOver(config::LedFileRecord seed) const
{
    for (const config::LedFileAction &action : actions)
        config::applyLedAction(action, seed);
    return seed;
}

LedInputResult loadLedFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(path, 0, QStringLiteral("no such file"));
    if (info.isDir())
        return failure(path, 0, QStringLiteral("is a folder, not a .led file"));
    if (info.size() > LargestFile)
        return failure(path, 0, QStringLiteral("is %1 bytes long, far more than a .led file holds").arg(info.size()));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(path, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    // Read one byte past the limit: a file that grows while being read is not taken either.
    const QByteArray bytes = file.read(LargestFile + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(path, 0, QStringLiteral("cannot be read: %1").arg(file.errorString()));
    if (bytes.size() > LargestFile)
        return failure(path, 0, QStringLiteral("is far longer than a .led file"));
    return parseLedBytes(path, bytes);
}

LedInputResult parseLedBytes(const QString &path, const QByteArray &bytes)
{
    const QStringList lines = config::ledFileLines(bytes);
    for (qsizetype n = 0; n < lines.size(); ++n) {
        if (lines.at(n).contains(QChar(u'\0')))
            return failure(path, int(n + 1), QStringLiteral("holds a NUL byte: this is no .led file"));
    }
    // The model decides the sizes of the lists the positions are checked against, so its line
    // is read first.
    QString model;
    for (const QString &line : lines) {
        const config::LedReadResult result = config::readLedLine(line, {});
        if (!result.actions.isEmpty() && std::holds_alternative<config::led::SetModel>(result.actions.first())) {
            model = std::get<config::led::SetModel>(result.actions.first()).caption;
            break;
        }
    }
    const config::LedListSizes sizes = session::ledListSizes(model);

    LedInput input;
    input.path = path;
    input.model = model;
    std::array<int, SettingCount> seenAt{};
    for (qsizetype n = 0; n < lines.size(); ++n) {
        const QString &line = lines.at(n);
        const int lineNumber = int(n + 1);
        if (line.trimmed().isEmpty())
            continue;
        const config::LedReadResult result = config::readLedLine(line, sizes);
        if (result.error)
            return failure(path, lineNumber, result.error->description);
        if (result.actions.isEmpty())
            return failure(path, lineNumber, QStringLiteral("not a setting of a .led file: \"%1\"").arg(line.left(60)));
        for (const config::LedFileAction &action : result.actions) {
            if (const std::optional<QString> why = unsendable(action))
                return failure(path, lineNumber, why->simplified());
            const int slot = slotOf(action);
            if (seenAt[slot] != 0)
                return failure(path, lineNumber,
                               QStringLiteral("%1 again (first on line %2)").arg(slotKey(slot)).arg(seenAt[slot]));
            seenAt[slot] = lineNumber;
            input.actions.append(action);
        }
    }
    for (int slot = 0; slot < SettingCount; ++slot) {
        if (seenAt[slot] == 0)
            return failure(path, int(lines.size()), QStringLiteral("no %1 line: the file is incomplete").arg(slotKey(slot)));
    }
    input.record = input.appliedOver({});
    return {input, std::nullopt};
}

} // namespace cli
