#pragma once

#include "config/configdiff.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace ui {

// The heading a difference is listed under: "Priority 3", "ID 5", "ID mode", "User command",
// "Default message".
QString differenceGroup(const config::ConfigDifference &difference);

// How what the sign holds differs from what is meant: a read-only list, one heading per
// priority and link, each difference in words beneath it. After an upload that the sign does
// not hold it offers "Upload Again", which accepts the dialog; "Close" rejects it.
class ConfigDifferences final : public QDialog {
    Q_OBJECT
public:
    ConfigDifferences(const QString &title, const QString &summary, const QList<config::ConfigDifference> &differences,
                      bool offerUploadAgain, QWidget *parent = nullptr);

    // The lines listed beneath the headings, in order.
    QStringList listedLines() const;

    QLabel *summary = nullptr;
    QTreeWidget *list = nullptr;
    QPushButton *uploadAgain = nullptr;  // only when offered
    QPushButton *closeButton = nullptr;
};

} // namespace ui
