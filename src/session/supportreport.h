#pragma once

#include "link/traffic.h"

#include <QList>
#include <QString>
#include <QVariant>

#include <utility>

namespace session {

// Everything a support desk asks for when a sign misbehaves, gathered by whoever writes the
// report (the main window) and set out as one text file.
struct SupportReport {
    QString toolVersion;
    QString qtVersion;
    QString tlsLibrary;               // what tls:// entries are spoken with, or why they cannot be
    QStringList ports;                // one line per COM number: what it maps to, adapter, presence
    QStringList adapters;             // every serial adapter the system has, mapped or not
    QString lastConfiguration;        // what the sign is known to hold, as a .led file's text
    QString lastConfigurationSource;  // "COM 1, model RW2290"; empty when nothing was read
    QList<std::pair<QString, QVariant>> settings;
    QList<signlink::TrafficRow> traffic;
};

QString supportReportText(const SupportReport &report);

} // namespace session
