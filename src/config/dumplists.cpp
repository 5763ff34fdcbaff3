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

} // namespace config
