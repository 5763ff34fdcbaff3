#pragma once

#include "config/catalogue.h"
#include "link/signlink.h"
#include "link/signport.h"

#include <QDialog>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QProgressBar;

namespace ui {

class KestrovanMain;

// Applies the extra control changes of a catalogue branch to the controls under `root`, found
// by object name.
void applyControlChanges(QWidget *root, const QList<config::ControlChange> &changes);

class ListBox;

// Refills `list` with `entries`, nothing selected.
void refillList(QComboBox *list, const QStringList &entries);
void refillList(ListBox *list, const QStringList &entries);

// Selects `position` in `list`: -1 clears the selection; a position outside the list (from a
// file, or a dump of another model) leaves the selection as it is.
void selectListPosition(QComboBox *list, int position);
void selectListPosition(ListBox *list, int position);

// What the default-message and test-message windows share: a serial connection of their own on
// the main window's COM number, the status line `Ack` with its clearing timer, the busy animation
// and the clock display. Each window adds its controls and the session that holds its
// conversations with the sign on that connection.
class SignDialog : public QDialog {
    Q_OBJECT
public:
    SignDialog(KestrovanMain &main, QWidget *parent);
    ~SignDialog() override;

    QLabel *Ack = nullptr;            // status line
    QProgressBar *Progress = nullptr; // busy animation, 0 to 500
    QLabel *DateTime = nullptr;       // the computer's clock

    QTimer ProgressTimer;  // 10 ms
    QTimer RemoveAck;      // 5000 ms
    QTimer ClockUpdate;    // 1000 ms, runs from the start

    signlink::SignPort &signPort() { return MSComm1; }

public slots:
    void ProgressTimer_Timer();
    void RemoveAck_Timer();
    void ClockUpdate_Timer();

protected:
    void showAck(const QString &text);   // sets `Ack` and starts RemoveAck
    void startProgress();                // the busy animation: 20 ticks, then hidden

    KestrovanMain &m_main;
    // The connection: the port and the reply lines. An unfinished line waits for its line feed
    // however long it takes, as these windows have always read.
    signlink::SignLink m_link;
    signlink::SignPort &MSComm1;
};

} // namespace ui
