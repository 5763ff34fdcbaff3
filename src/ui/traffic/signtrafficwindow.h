#pragma once

#include "link/traffic.h"
#include "ui/traffic/traffictablemodel.h"

#include <QMainWindow>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace ui {

class UiServices;
class TrafficFilter;

// "Sign Traffic": every command written to a sign and every line received from one, by any
// window's connection, with what the tool made of it. A window of its own beside the others
// (a main window, so that screen readers announce it as a window and not as a part of one);
// it listens to the traffic log only while it is shown.
class SignTrafficWindow final : public QMainWindow {
    Q_OBJECT
public:
    SignTrafficWindow(signlink::TrafficLog &log, UiServices &services, QWidget *parent = nullptr);
    ~SignTrafficWindow() override;

    TrafficTableModel &model() { return m_model; }
    // The rows shown (after the filter) as text, one a line; only the selected ones when
    // `selectedOnly`.
    QString rowsAsText(bool selectedOnly) const;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void startListening();
    void stopListening();
    void copySelected();
    void save();
    void followNewRows();
    bool showsNewest() const;
    void applyFilter(const QString &text);
    void keepOlderRowsInView(int first, int last);

    signlink::TrafficLog &m_log;
    UiServices &m_services;
    TrafficTableModel m_model;
    TrafficFilter *m_filtered = nullptr;
    QTableView *m_table = nullptr;
    QLineEdit *m_filter = nullptr;
    QCheckBox *m_hex = nullptr;
    QPushButton *m_pause = nullptr;
    QLabel *m_status = nullptr;
    bool m_listening = false;
    bool m_followingBeforeRemoval = true;
};

} // namespace ui
