#include "config/dumplists.h"

#include "config/attribute.h"

namespace config {

QStringList dropValuesOutsideLists(protocol::ConfigDump &dump, const ModelOptionSet &lists)
{
    QStringList dropped;
    for (std::size_t n = 0; n < dump.priorities.size(); ++n) {
        for (const Attribute attribute : AllAttributes) {
            std::optional<qint16> &value = attributeOf(dump.priorities[n], attribute);
            if (!value || (*value >= -1 && *value < attributeOf(lists, attribute).size()))
                continue;
            dropped << QStringLiteral("Priority %1 %2 %3").arg(n).arg(attributeCaption(attribute)).arg(*value);
            value.reset();
        }
    }
    return dropped;
}

namespace {

template <typename T>
void takeIfPresent(T &target, const std::optional<T> &value)
{
    if (value)
        target = *value;
}

} // namespace

ShownConfiguration takeDump(const protocol::ConfigDump &dump, Baseline &baseline, ChangeFlags &flags)
{
    ShownConfiguration shown;
    for (int n = 0; n < PriorityCount; ++n) {
        const protocol::DumpPriorityRow &in = dump.priorities[n];
        PriorityBaseline &base = baseline.priorities[n];
        for (const Attribute attribute : AllAttributes)
            takeIfPresent(attributeOf(base, attribute), attributeOf(in, attribute));
        takeIfPresent(base.timeout, in.timeout);
        shown.priorities[n] = base;
    }

    for (int i = 0; i < LinkCount; ++i) {
        const protocol::DumpLinkRow &in = dump.links[i];
        // A dump that stops short of the link section leaves the rows it does not cover alone.
        if (!dump.linksComplete && !in.named)
            continue;
        ShownLink &row = shown.links[i].emplace();
        if (!in.named) {
            // A whole dump that names no link for this ID says the sign holds none: the baseline
            // says so too, or the row would count as changed right after reading the sign.
            baseline.links[i] = {};
            continue;
        }
        row.capcode = in.capcode;
        baseline.links[i].capcode = in.capcode;
        if (in.priority) {
            row.priority = in.priority;
            baseline.links[i].priority = in.priorityText.value_or(QString::number(*in.priority));
        }
    }

    if (dump.autoId) {
        shown.autoId = *dump.autoId;
        baseline.autoId = *dump.autoId ? 1 : 0;
    }
    flags.priorityChanged.fill(false);
    flags.linkChanged.fill(false);
    if (dump.userCommand) {
        shown.userCommand = *dump.userCommand;
        baseline.userCommand = *dump.userCommand;
    }
    return shown;
}

} // namespace config
