#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QObject>
#include <QString>

#include <deque>

namespace signlink {

// One thing that went over a line to a sign, as the traffic view and the support report show it.
struct TrafficRow {
    enum class Direction { Sent, Received, Dropped };

    quint64 serial = 0;  // given by the log, one up for every row
    qint64 msecsSinceEpoch = 0;
    QString source;  // "COM 3"
    Direction direction = Direction::Sent;
    QByteArray bytes;  // a command with its CR, a line without its line feed, a dropped start
    QString meaning;   // what the tool made of it: "Upload Successfull", "dropped: no line feed in time"
};

// The bytes as a person reads them: CR, LF and the sign's stored line break (0xAA) and time
// fields (0xAB..0xB2) by name, other control bytes and 0x80..0x9F as \xNN escapes, the rest as
// their Latin-1 characters. A backslash is doubled so that an escape cannot be faked.
QString visibleText(QByteArrayView bytes);
// "3C 44 46 0D": every byte in hex.
QString hexText(QByteArrayView bytes);
QString directionText(TrafficRow::Direction direction);
// "13:04:05.678", local time.
QString timeText(qint64 msecsSinceEpoch);
// One row as a line of text: time, source, direction, bytes, meaning, tab-separated.
QString rowText(const TrafficRow &row, bool hex);
// The same with its time already put into words (timeText).
QString rowText(const TrafficRow &row, bool hex, const QString &time);

// Where every connection to a sign reports what it writes and what it receives. One is made by
// whoever makes the connections (the program's main) and handed to them; nothing else holds it.
//
// The last RecentRows rows are always kept, for the support report. Beyond that, rows are only
// passed on (rowRecorded) while someone listens: with no traffic window open, a babbling sign
// costs a ring buffer's worth of memory and nothing more.
class TrafficLog final : public QObject {
    Q_OBJECT
public:
    static constexpr qsizetype RecentRows = 500;
    // A row longer than this keeps its start: a megabyte line would otherwise be copied into
    // every view and report.
    static constexpr qsizetype MaxRowBytes = 4096;

    using QObject::QObject;

    void record(TrafficRow row);
    // What the tool made of the last line received from `source`.
    void explainLastReceived(const QString &source, const QString &meaning);

    // A listener counts from listen() to its matching stopListening().
    void listen() { ++m_listeners; }
    void stopListening() { m_listeners = qMax(0, m_listeners - 1); }
    bool hasListeners() const { return m_listeners > 0; }

    QList<TrafficRow> recentRows() const { return {m_recent.begin(), m_recent.end()}; }

signals:
    void rowRecorded(const signlink::TrafficRow &row);
    // The meaning of an earlier row (the same serial) came later.
    void rowExplained(const signlink::TrafficRow &row);

private:
    std::deque<TrafficRow> m_recent;
    int m_listeners = 0;
    quint64 m_nextSerial = 1;
};

} // namespace signlink
