// Seeing what went over the line: the Sign Traffic window, and one file a support desk can ask
// for with everything it needs to know about this tool, its ports and its last conversations.
#include "ui/main/kestrovanmain.h"

#include "config/filewrite.h"
#include "config/ledfile.h"
#include "link/portinventory.h"
#include "link/tlscredentials.h"
#include "link/traffic.h"
#include "session/supportreport.h"
#include "ui/common/placement.h"
#include "ui/common/uiservices.h"
#include "ui/main/preferences.h"
#include "ui/traffic/signtrafficwindow.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace ui {

void KestrovanMain::signTraffic_Click()
{
    signlink::TrafficLog *log = signPort().trafficLog();
    if (!log)
        return;
    if (!m_trafficWindow) {
        m_trafficWindow = new SignTrafficWindow(*log, m_services, this);
        // Beside this window, not over its menu bar; where the operator moves it, it stays.
        placeBeside(*m_trafficWindow, *this);
    }
    m_trafficWindow->show();
    m_trafficWindow->raise();
    m_trafficWindow->activateWindow();
}

session::SupportReport KestrovanMain::supportReport() const
{
    session::SupportReport report;
    report.toolVersion = QCoreApplication::applicationVersion().isEmpty() ? QStringLiteral("4.8b")
                                                                          : QCoreApplication::applicationVersion();
    report.qtVersion = QString::fromLatin1(qVersion());
    report.tlsLibrary = signlink::tlsLibraryText();
    const QList<signlink::SerialAdapter> adapters = signlink::presentAdapters(signlink::AdapterSources::system());
    for (const signlink::ComPortInfo &port : signlink::portInventory(signlink::PortMap(), adapters))
        report.ports << signlink::portSummaryLine(port);
    for (const signlink::SerialAdapter &adapter : adapters) {
        QStringList about {adapter.device};
        for (const QString &part : {adapter.byIdPath, adapter.description, adapter.manufacturer, adapter.serialNumber,
                                    adapter.vendorProductText()}) {
            if (!part.isEmpty())
                about << part;
        }
        report.adapters << about.join(QStringLiteral(", "));
    }
    if (const std::optional<session::KnownConfiguration> &known = m_session.knownConfiguration()) {
        report.lastConfigurationSource = tr("COM %1, model %2").arg(known->comNumber).arg(known->model);
        report.lastConfiguration = config::ledFileText(session::backupRecord(*known, m_config));
    }
    const Preferences settings;
    for (const QString &key : settings.allKeys())
        report.settings.append({key, settings.value(key)});
    if (const signlink::TrafficLog *log = signPort().trafficLog())
        report.traffic = log->recentRows();
    return report;
}

void KestrovanMain::signSupportReport_Click()
{
    const QString name = m_services.saveFileName(this, tr("Text files (*.txt);;All files (*)"));
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    const QByteArray text = session::supportReportText(supportReport()).toUtf8();
    if (const std::optional<QString> why = config::replaceWhole(file, text)) {
        m_services.message(this, QString(), tr("The support report could not be saved to %1: %2").arg(name, *why),
                           UiServices::Icon::Critical);
        return;
    }
    showStatus(tr("Support report saved to %1.").arg(name));
}

} // namespace ui
