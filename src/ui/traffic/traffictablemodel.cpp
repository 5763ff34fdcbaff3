#include "ui/traffic/traffictablemodel.h"

#include <algorithm>

namespace ui {

using signlink::TrafficRow;

TrafficTableModel::TrafficTableModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_batch.setSingleShot(true);
    m_batch.setInterval(BatchIntervalMs);
    connect(&m_batch, &QTimer::timeout, this, &TrafficTableModel::flush);
}

int TrafficTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TrafficTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TrafficTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return {};
    const Shown &kept = m_rows[std::size_t(index.row())];
    const TrafficRow &shown = kept.row;
    if (role == Qt::TextAlignmentRole && index.column() == Time)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Time:
        return kept.time;
    case Port:
        return shown.source;
    case Direction:
        return signlink::directionText(shown.direction);
    case Text:
        return m_hex ? signlink::hexText(shown.bytes) : signlink::visibleText(shown.bytes);
    case Meaning:
        return shown.meaning;
    default:
        return {};
    }
}

QVariant TrafficTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Time:
        return tr("Time");
    case Port:
        return tr("Port");
    case Direction:
        return tr("Direction");
    case Text:
        return tr("Text");
    case Meaning:
        return tr("Meaning");
    default:
        return {};
    }
}

QString TrafficTableModel::rowText(int index) const
{
    const Shown &kept = m_rows[std::size_t(index)];
    return signlink::rowText(kept.row, m_hex, kept.time);
}

void TrafficTableModel::add(const TrafficRow &row)
{
    if (m_paused)
        return;
    m_pending.append(row);
    // Between two batches no more than a full view's worth is kept waiting.
    if (m_pending.size() > MaxRows)
        m_pending.remove(0, m_pending.size() - MaxRows);
    if (!m_batch.isActive())
        m_batch.start();
}

void TrafficTableModel::explain(const TrafficRow &row)
{
    const auto bySerial = [](const TrafficRow &a, const TrafficRow &b) { return a.serial < b.serial; };
    const auto waiting = std::lower_bound(m_pending.begin(), m_pending.end(), row, bySerial);
    if (waiting != m_pending.end() && waiting->serial == row.serial) {
        waiting->meaning = row.meaning;
        return;
    }
    const auto shown = std::lower_bound(m_rows.begin(), m_rows.end(), row.serial,
                                        [](const Shown &a, quint64 serial) { return a.row.serial < serial; });
    if (shown == m_rows.end() || shown->row.serial != row.serial)
        return;
    shown->row.meaning = row.meaning;
    const QModelIndex cell = index(int(shown - m_rows.begin()), Meaning);
    emit dataChanged(cell, cell);
}

void TrafficTableModel::flush()
{
    m_batch.stop();
    if (m_pending.isEmpty())
        return;
    const qsizetype overflow = qsizetype(m_rows.size()) + m_pending.size() - MaxRows;
    if (overflow > 0) {
        const int dropped = int(std::min<qsizetype>(overflow, qsizetype(m_rows.size())));
        if (dropped > 0) {
            beginRemoveRows({}, 0, dropped - 1);
            m_rows.erase(m_rows.begin(), m_rows.begin() + dropped);
            endRemoveRows();
        }
    }
    const int first = int(m_rows.size());
    beginInsertRows({}, first, first + int(m_pending.size()) - 1);
    for (TrafficRow &row : m_pending) {
        QString time = signlink::timeText(row.msecsSinceEpoch);
        m_rows.push_back({std::move(row), std::move(time)});
    }
    m_pending.clear();
    endInsertRows();
}

void TrafficTableModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_pending.clear();
    endResetModel();
}

void TrafficTableModel::setHex(bool hex)
{
    if (hex == m_hex)
        return;
    m_hex = hex;
    if (!m_rows.empty())
        emit dataChanged(index(0, Text), index(int(m_rows.size()) - 1, Text));
}

} // namespace ui
