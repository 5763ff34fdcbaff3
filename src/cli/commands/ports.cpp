#include "cli/commands/commands.h"

#include "cli/report.h"
#include "link/portinventory.h"

#include <QJsonDocument>

namespace cli::commands {

int listPorts(const Options &options, QTextStream &out)
{
    for (const signlink::ComPortInfo &entry : signlink::portInventory(signlink::PortMap())) {
        if (options.json)
            out << QJsonDocument(portJson(entry)).toJson(QJsonDocument::Compact) << '\n';
        else
            out << signlink::portSummaryLine(entry) << '\n';
    }
    return int(ExitCode::Done);
}

} // namespace cli::commands
