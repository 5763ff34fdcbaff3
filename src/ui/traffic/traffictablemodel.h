#pragma once

#include "link/traffic.h"

#include <QAbstractTableModel>
#include <QTimer>

#include <deque>

namespace ui {

// The rows of the traffic view. Rows come in one by one as the connections report them and are
// shown in batches a few times a second, so a sign sending a line every millisecond costs the
// windows one model update per batch, not one per line. Only the newest MaxRows are kept.
class TrafficTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Time, Port, Direction, Text, Meaning, ColumnCount };
    static constexpr qsizetype MaxRows = 20000;
    static constexpr int BatchIntervalMs = 100;

    explicit TrafficTableModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    void add(const signlink::TrafficRow &row);
    void explain(const signlink::TrafficRow &row);
    // Shows the rows waiting for the next batch now.
    void flush();
    void clear();

    // While paused, rows that come are not kept; the view stays as it is.
    void setPaused(bool paused) { m_paused = paused; }
    bool paused() const { return m_paused; }
    void setHex(bool hex);
    bool hex() const { return m_hex; }

    const signlink::TrafficRow &row(int index) const { return m_rows[std::size_t(index)].row; }
    // The row as a line of text (signlink::rowText), in hex when the view shows hex.
    QString rowText(int index) const;

private:
    // The time is put into words once, when a row comes: local time costs the C library a look at
    // the time zone file on every call, and a filter over a full view asks for every row's time.
    struct Shown {
        signlink::TrafficRow row;
        QString time;
    };
    std::deque<Shown> m_rows;
    QList<signlink::TrafficRow> m_pending;
    QTimer m_batch;
    bool m_paused = false;
    bool m_hex = false;
};

} // namespace ui
