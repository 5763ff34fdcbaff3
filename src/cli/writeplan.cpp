#include "cli/writeplan.h"

#include "config/filewrite.h"
#include "session/configsession.h"
#include "session/readback.h"

#include <QSaveFile>
#include <QStringList>

namespace cli {

QList<int> itemsToSend(const config::SignConfig &config, const config::ConfigValues &meant, bool force,
                       bool userCommandKnown)
{
    config::ChangeFlags flags = config.flags;
    if (force) {
        flags.setAll();
        flags.userCmdChanged = userCommandKnown;
        return flags.items();
    }
    // The upload's own comparison, on copies: nothing of the session's record changes.
    config::Baseline baseline = config.baseline;
    config::getChangedRows(meant, baseline, flags);
    return flags.items();
}

QString itemNames(const QList<int> &items)
{
    if (items.isEmpty())
        return QStringLiteral("nothing");
    QStringList names;
    for (const int item : items)
        names << session::uploadItemName(item);
    return names.join(QStringLiteral(", "));
}

QJsonArray itemNamesJson(const QList<int> &items)
{
    QJsonArray names;
    for (const int item : items)
        names.append(session::uploadItemName(item));
    return names;
}

ConfigurationView withItems(ConfigurationView before, const QList<int> &items, const config::ConfigValues &values)
{
    session::KnownConfiguration known;
    known.model = before.model;
    known.values = before.values;
    for (const int item : items)
        session::takeSentItemInto(known, item, values);
    before.values = known.values;
    return before;
}

QString pathForSign(QString pattern, const PortSpec &port)
{
    return pattern.replace(QStringLiteral("{port}"), port.fileNamePart());
}

std::optional<QString> saveLedFile(const QString &path, const config::LedFileRecord &record)
{
    if (const std::optional<QString> why = config::whyUnstorable(record))
        return why;
    const config::SaveBytes bytes = config::saveTextBytes(config::ledFileText(record));
    if (!bytes.bytes)
        return QStringLiteral("the character \"%1\" cannot be stored").arg(bytes.unstorable.value_or(QString()));
    QSaveFile file(path);
    return config::replaceWhole(file, *bytes.bytes);
}

} // namespace cli
