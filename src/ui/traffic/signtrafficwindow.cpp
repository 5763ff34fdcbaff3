#include "ui/traffic/signtrafficwindow.h"

#include "config/filewrite.h"
#include "ui/common/uiservices.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QShortcut>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace ui {

// The rows that hold the filter text in any column, as shown. A new text is applied as one
// change of layout: QSortFilterProxyModel's own filter change takes out the rows that no longer
// match range by range, and with thousands of ranges in a full view the table's header keeping
// up with each of them made every keystroke a visible stall.
class TrafficFilter final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setText(const QString &text)
    {
        if (text == m_text)
            return;
        m_text = text;
        invalidate();
    }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override
    {
        if (m_text.isEmpty())
            return true;
        const QAbstractItemModel *rows = sourceModel();
        for (int column = 0; column < rows->columnCount(sourceParent); ++column) {
            if (rows->index(sourceRow, column, sourceParent).data().toString().contains(m_text, Qt::CaseInsensitive))
                return true;
        }
        return false;
    }

private:
    QString m_text;
};

SignTrafficWindow::SignTrafficWindow(signlink::TrafficLog &log, UiServices &services, QWidget *parent)
    : QMainWindow(parent), m_log(log), m_services(services)
{
    setObjectName(QStringLiteral("SignTraffic"));
    setWindowTitle(tr("Sign Traffic"));
    auto *content = new QWidget(this);
    content->setObjectName(QStringLiteral("TrafficContent"));
    setCentralWidget(content);

    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("TrafficFilter"));
    m_filter->setPlaceholderText(tr("Filter"));
    m_filter->setAccessibleName(tr("Filter"));
    m_filter->setClearButtonEnabled(true);
    m_hex = new QCheckBox(tr("&Hex"), this);
    m_hex->setObjectName(QStringLiteral("TrafficHex"));
    m_pause = new QPushButton(tr("&Pause"), this);
    m_pause->setObjectName(QStringLiteral("TrafficPause"));
    m_pause->setCheckable(true);
    auto *clear = new QPushButton(tr("C&lear"), this);
    clear->setObjectName(QStringLiteral("TrafficClear"));
    auto *copy = new QPushButton(tr("&Copy"), this);
    copy->setObjectName(QStringLiteral("TrafficCopy"));
    auto *save = new QPushButton(tr("&Save..."), this);
    save->setObjectName(QStringLiteral("TrafficSave"));

    m_filtered = new TrafficFilter(this);
    m_filtered->setSourceModel(&m_model);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("TrafficTable"));
    m_table->setAccessibleName(tr("Sign traffic"));
    m_table->setModel(m_filtered);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Fixed row heights and no measuring of contents keep a full table cheap to update.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics metrics(m_table->font());
    m_table->setColumnWidth(TrafficTableModel::Time, metrics.horizontalAdvance(QStringLiteral("00:00:00.000  ")));
    m_table->setColumnWidth(TrafficTableModel::Port, metrics.horizontalAdvance(QStringLiteral("COM 12  ")));
    m_table->setColumnWidth(TrafficTableModel::Direction, metrics.horizontalAdvance(QStringLiteral("received  ")));
    m_table->setColumnWidth(TrafficTableModel::Text, metrics.horizontalAdvance(QLatin1Char('x')) * 60);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("TrafficStatus"));

    auto *controls = new QHBoxLayout;
    controls->addWidget(m_filter, 1);
    controls->addWidget(m_hex);
    controls->addWidget(m_pause);
    controls->addWidget(clear);
    controls->addWidget(copy);
    controls->addWidget(save);
    auto *layout = new QVBoxLayout(content);
    layout->addLayout(controls);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_status);
    resize(metrics.horizontalAdvance(QLatin1Char('x')) * 120, metrics.height() * 30);

    connect(m_filter, &QLineEdit::textChanged, this, &SignTrafficWindow::applyFilter);
    connect(m_hex, &QCheckBox::toggled, &m_model, &TrafficTableModel::setHex);
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        m_model.setPaused(paused);
        m_status->setText(paused ? tr("Paused: what goes over the line meanwhile is not kept.") : QString());
    });
    connect(clear, &QPushButton::clicked, &m_model, &TrafficTableModel::clear);
    connect(copy, &QPushButton::clicked, this, &SignTrafficWindow::copySelected);
    connect(save, &QPushButton::clicked, this, &SignTrafficWindow::save);
    auto *copyKey = new QShortcut(QKeySequence::Copy, m_table);
    copyKey->setContext(Qt::WidgetShortcut);
    connect(copyKey, &QShortcut::activated, this, &SignTrafficWindow::copySelected);
    connect(&m_model, &QAbstractItemModel::rowsAboutToBeInserted, this, &SignTrafficWindow::followNewRows);
    connect(m_filtered, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this] { m_followingBeforeRemoval = showsNewest(); });
    connect(m_filtered, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { keepOlderRowsInView(first, last); });
}

SignTrafficWindow::~SignTrafficWindow()
{
    stopListening();
}

void SignTrafficWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    startListening();
}

void SignTrafficWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    // A minimised window gets a hide event from the system too, and stays open: it goes on
    // listening, so that what came meanwhile is there when it is restored.
    if (!event->spontaneous())
        stopListening();
}

void SignTrafficWindow::startListening()
{
    if (m_listening)
        return;
    m_listening = true;
    // What went over the line just before the window opened is often what the operator wants
    // to see; the log keeps the last few hundred rows for that.
    m_model.clear();
    for (const signlink::TrafficRow &row : m_log.recentRows())
        m_model.add(row);
    m_model.flush();
    m_log.listen();
    connect(&m_log, &signlink::TrafficLog::rowRecorded, &m_model, &TrafficTableModel::add);
    connect(&m_log, &signlink::TrafficLog::rowExplained, &m_model, &TrafficTableModel::explain);
}

void SignTrafficWindow::stopListening()
{
    if (!m_listening)
        return;
    m_listening = false;
    m_log.stopListening();
    disconnect(&m_log, nullptr, &m_model, nullptr);
}

bool SignTrafficWindow::showsNewest() const
{
    const QScrollBar *bar = m_table->verticalScrollBar();
    return bar->value() >= bar->maximum();
}

void SignTrafficWindow::followNewRows()
{
    // New rows scroll into view only when the operator is looking at the newest ones.
    if (showsNewest())
        QMetaObject::invokeMethod(m_table, &QTableView::scrollToBottom, Qt::QueuedConnection);
}

void SignTrafficWindow::applyFilter(const QString &text)
{
    // Whoever watched the newest rows before typing still does afterwards; the table alone
    // would be left at its top once the filter no longer narrows it.
    const bool following = showsNewest();
    m_filtered->setText(text);
    if (following)
        m_table->scrollToBottom();
}

void SignTrafficWindow::keepOlderRowsInView(int first, int last)
{
    // At the cap the oldest rows go as new ones come. The table keeps its scroll position in
    // rows, so what the operator was reading further up would slide away by a batch a tenth of
    // a second; the position moves up by the rows that went above it instead.
    if (m_followingBeforeRemoval)
        return;
    QScrollBar *bar = m_table->verticalScrollBar();
    const int rowStep = m_table->verticalScrollMode() == QAbstractItemView::ScrollPerItem
                            ? 1
                            : m_table->verticalHeader()->defaultSectionSize();
    const int top = bar->value() / rowStep;
    if (first >= top)
        return;
    bar->setValue(bar->value() - (std::min(last, top - 1) - first + 1) * rowStep);
}

QString SignTrafficWindow::rowsAsText(bool selectedOnly) const
{
    QList<int> rows;
    if (selectedOnly) {
        for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
            rows << m_filtered->mapToSource(index).row();
        std::sort(rows.begin(), rows.end());
    } else {
        for (int r = 0; r < m_filtered->rowCount(); ++r)
            rows << m_filtered->mapToSource(m_filtered->index(r, 0)).row();
    }
    QStringList lines;
    for (const int r : rows)
        lines << m_model.rowText(r);
    return lines.isEmpty() ? QString() : lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

void SignTrafficWindow::copySelected()
{
    const QString text = rowsAsText(true);
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void SignTrafficWindow::save()
{
    QString name = m_services.saveFileName(this, tr("Text files (*.txt);;All files (*)"));
    if (name.isEmpty())
        return;
    QSaveFile file(name);
    if (const std::optional<QString> why = config::replaceWhole(file, rowsAsText(false).toUtf8())) {
        m_services.message(this, tr("Sign Traffic"), tr("The traffic could not be saved to %1: %2").arg(name, *why),
                           UiServices::Icon::Critical);
        return;
    }
    m_status->setText(tr("Saved %1.").arg(name));
}

} // namespace ui
