#include "link/traffic.h"

#include <QDateTime>

namespace signlink {

QString visibleText(QByteArrayView bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r')
            text += QStringLiteral("<CR>");
        else if (byte == '\n')
            text += QStringLiteral("<LF>");
        else if (byte == 0xAA)
            text += QStringLiteral("<line break>");
        else if (byte >= 0xAB && byte <= 0xB2)
            text += QStringLiteral("<time field %1>").arg(byte - 0xAB);
        else if (byte == '\\')
            text += QStringLiteral("\\\\");
        else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && byte < 0xA0))
            text += QStringLiteral("\\x") + QString::number(byte, 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            text += QChar(byte);
    }
    return text;
}

QString hexText(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString directionText(TrafficRow::Direction direction)
{
    switch (direction) {
    case TrafficRow::Direction::Sent:
        return TrafficLog::tr("sent");
    case TrafficRow::Direction::Received:
        return TrafficLog::tr("received");
    case TrafficRow::Direction::Dropped:
        return TrafficLog::tr("dropped");
    }
    return {};
}

QString timeText(qint64 msecsSinceEpoch)
{
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch).toString(QStringLiteral("HH:mm:ss.zzz"));
}

QString rowText(const TrafficRow &row, bool hex)
{
    return rowText(row, hex, timeText(row.msecsSinceEpoch));
}

QString rowText(const TrafficRow &row, bool hex, const QString &time)
{
    return QStringList {time, row.source, directionText(row.direction),
                        hex ? hexText(row.bytes) : visibleText(row.bytes), row.meaning}
        .join(QLatin1Char('\t'));
}

void TrafficLog::record(TrafficRow row)
{
    row.serial = m_nextSerial++;
    if (row.msecsSinceEpoch == 0)
        row.msecsSinceEpoch = QDateTime::currentMSecsSinceEpoch();
    if (row.bytes.size() > MaxRowBytes) {
        row.meaning = tr("%1 bytes, the first %2 shown").arg(row.bytes.size()).arg(MaxRowBytes)
                      + (row.meaning.isEmpty() ? QString() : QStringLiteral("; ") + row.meaning);
        row.bytes.truncate(MaxRowBytes);
    }
    if (hasListeners())
        emit rowRecorded(row);
    m_recent.push_back(std::move(row));
    if (qsizetype(m_recent.size()) > RecentRows)
        m_recent.pop_front();
}

void TrafficLog::explainLastReceived(const QString &source, const QString &meaning)
{
    for (auto row = m_recent.rbegin(); row != m_recent.rend(); ++row) {
        if (row->source != source || row->direction != TrafficRow::Direction::Received)
            continue;
        row->meaning = meaning;
        if (hasListeners())
            emit rowExplained(*row);
        return;
    }
}

} // namespace signlink
