#include "session/shownvalues.h"

#include "config/attribute.h"
#include "config/catalogue.h"

namespace session {

namespace {

// A list position as a drop-down list keeps it after a selection: one the list does not hold
// leaves the list as the rebuild left it, with nothing selected.
qint16 selectable(qint16 position, qsizetype listSize)
{
    return position >= -1 && position < listSize ? position : qint16(-1);
}

} // namespace

config::ConfigValues startValues()
{
    return {};
}

ReadConfiguration readConfiguration(protocol::ConfigDump dump, config::Baseline &baseline, config::ChangeFlags &flags)
{
    ReadConfiguration read;
    read.missing = protocol::missingParts(dump);
    read.unreadable = config::dropValuesOutsideLists(dump, config::SelectOptionSet(dump.model, config::OptionWindow::Main));
    read.shown = config::takeDump(dump, baseline, flags);
    read.dump = std::move(dump);
    return read;
}

config::ConfigValues valuesAfterRead(const ReadConfiguration &read, const config::ConfigValues &before)
{
    config::ConfigValues values = before;
    const config::ModelOptionSet lists = config::SelectOptionSet(read.dump.model, config::OptionWindow::Main);
    for (int n = 0; n < config::PriorityCount; ++n) {
        const config::PriorityBaseline &shown = read.shown.priorities[n];
        config::PriorityDefaults &row = values.priorities[n];
        for (const config::Attribute attribute : config::AllAttributes)
            config::attributeOf(row, attribute) =
                selectable(config::attributeOf(shown, attribute), config::attributeOf(lists, attribute).size());
        row.timeout = QString::number(shown.timeout);
    }
    const qsizetype linkPriorities = config::linkPriorityLabels().size();
    for (int i = 0; i < config::LinkCount; ++i) {
        const std::optional<config::ShownLink> &link = read.shown.links[i];
        if (!link)
            continue;
        values.links[i].capcode = link->capcode;
        values.links[i].priority = link->priority ? selectable(*link->priority, linkPriorities) : qint16(-1);
    }
    if (read.shown.autoId)
        values.autoId = *read.shown.autoId ? 1 : 0;
    if (read.shown.userCommand)
        values.userCommand = *read.shown.userCommand;
    return values;
}

config::ConfigValues valuesFromRecord(const config::LedFileRecord &record, const config::ConfigValues &shown)
{
    config::ConfigValues values = shown;
    values.priorities = record.priorities;
    values.links = record.links;
    values.autoId = record.autoId;
    return values;
}

config::LedListSizes ledListSizes(const QString &model)
{
    const config::ModelOptionSet lists = config::SelectOptionSet(model, config::OptionWindow::Main);
    config::LedListSizes sizes;
    for (const config::Attribute attribute : config::AllAttributes)
        config::attributeOf(sizes, attribute) = int(config::attributeOf(lists, attribute).size());
    sizes.comPorts = 12;
    sizes.linkPriorities = int(config::linkPriorityLabels().size());
    return sizes;
}

} // namespace session
