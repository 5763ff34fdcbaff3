#include "session/supportreport.h"

#include <QDateTime>

namespace session {

namespace {

void section(QStringList &lines, const QString &title)
{
    if (!lines.isEmpty())
        lines << QString();
    lines << QStringLiteral("== %1 ==").arg(title);
}

} // namespace

QString supportReportText(const SupportReport &report)
{
    QStringList lines;
    section(lines, QStringLiteral("Tool"));
    lines << QStringLiteral("Version: %1").arg(report.toolVersion)
          << QStringLiteral("Qt: %1").arg(report.qtVersion)
          << QStringLiteral("TLS: %1").arg(report.tlsLibrary)
          << QStringLiteral("Written: %1").arg(QDateTime::currentDateTime().toString(Qt::ISODate));

    section(lines, QStringLiteral("Ports"));
    lines << report.ports;

    section(lines, QStringLiteral("Serial adapters present"));
    if (report.adapters.isEmpty())
        lines << QStringLiteral("(none)");
    lines << report.adapters;

    section(lines, QStringLiteral("Last configuration read from the sign"));
    if (report.lastConfigurationSource.isEmpty()) {
        lines << QStringLiteral("(none read since the tool started)");
    } else {
        lines << QStringLiteral("From %1:").arg(report.lastConfigurationSource);
        QString text = report.lastConfiguration;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts))
            lines << signlink::visibleText(line.toLatin1());
    }

    section(lines, QStringLiteral("Settings"));
    if (report.settings.isEmpty())
        lines << QStringLiteral("(none)");
    for (const auto &[key, value] : report.settings)
        lines << QStringLiteral("%1=%2").arg(key, value.toString());

    section(lines, QStringLiteral("Traffic (the last %1 rows)").arg(report.traffic.size()));
    for (const signlink::TrafficRow &row : report.traffic)
        // A report is read days later: each row carries its date.
        lines << signlink::rowText(row, false, QDateTime::fromMSecsSinceEpoch(row.msecsSinceEpoch)
                                                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")));
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace session
