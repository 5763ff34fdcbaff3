#include "ui/main/configdifferences.h"

#include "ui/common/accessibility.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace ui {

QString differenceGroup(const config::ConfigDifference &difference)
{
    using Item = config::ConfigItem;
    switch (difference.item) {
    case Item::Priority: return ConfigDifferences::tr("Priority %1").arg(difference.index);
    case Item::Link: return ConfigDifferences::tr("ID %1").arg(difference.index);
    case Item::IdMode: return ConfigDifferences::tr("ID mode");
    case Item::UserCommand: return ConfigDifferences::tr("User command");
    case Item::DefaultMessage: return ConfigDifferences::tr("Default message");
    }
    return {};
}

ConfigDifferences::ConfigDifferences(const QString &title, const QString &summaryText,
                                     const QList<config::ConfigDifference> &differences, bool offerUploadAgain,
                                     QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ConfigDifferences"));
    setWindowTitle(title);

    summary = new QLabel(summaryText, this);
    summary->setObjectName(QStringLiteral("summary"));
    summary->setWordWrap(true);
    summary->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    // A tree the operator can walk and read but not change: one heading per item, expanded.
    list = new QTreeWidget(this);
    list->setObjectName(QStringLiteral("differences"));
    list->setColumnCount(1);
    list->header()->setVisible(false);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setVisible(!differences.isEmpty());
    nameControl(list, tr("Differences"));
    QTreeWidgetItem *heading = nullptr;
    for (const config::ConfigDifference &d : differences) {
        const QString group = differenceGroup(d);
        if (!heading || heading->text(0) != group) {
            heading = new QTreeWidgetItem(list, {group});
            heading->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        }
        auto *line = new QTreeWidgetItem(heading, {d.text()});
        line->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        line->setToolTip(0, d.text());
    }
    list->expandAll();
    list->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);

    auto *buttons = new QDialogButtonBox(this);
    if (offerUploadAgain) {
        uploadAgain = buttons->addButton(tr("Upload Again"), QDialogButtonBox::AcceptRole);
        uploadAgain->setObjectName(QStringLiteral("uploadAgain"));
        connect(uploadAgain, &QPushButton::clicked, this, &QDialog::accept);
    }
    closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setObjectName(QStringLiteral("close"));
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    // Enter would otherwise upload again; the operator asks for it by choosing the button.
    closeButton->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(list, 1);
    layout->addWidget(buttons);
    resize(560, differences.isEmpty() ? 120 : 420);
}

QStringList ConfigDifferences::listedLines() const
{
    QStringList lines;
    for (int g = 0; g < list->topLevelItemCount(); ++g) {
        const QTreeWidgetItem *heading = list->topLevelItem(g);
        for (int k = 0; k < heading->childCount(); ++k)
            lines << heading->child(k)->text(0);
    }
    return lines;
}

} // namespace ui
