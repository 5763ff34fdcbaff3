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
// the main window's COM number, reply lines, the status line `Ack` with its clearing timer, the
// busy animation and the clock display. Each window adds its controls, its commands and its
// reply handling.
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
    // One reply line, without its line feed (a CR stays in it).
    virtual void ProcessReply(const QString &line) = 0;
    // The port failed while open and is closed already; give the buttons back.
    virtual void connectionLost() = 0;

    // Opens the port on the main window's COM number (list position + 1). On failure `Ack` says
    // "Cannot Open Port:" with the number and the reason, and the result is false.
    bool openSignPort();
    // One write of the text's Latin-1 bytes and a single CR; false when the port refused it
    // or the text holds a character the sign cannot take (`Ack` then names it).
    bool writeCommand(const QString &command);
    void closeSignPort();

    void showAck(const QString &text);   // sets `Ack` and starts RemoveAck
    void startProgress();                // the busy animation: 20 ticks, then hidden

    KestrovanMain &m_main;
    // The connection: the port and the reply lines. An unfinished line waits for its line feed
    // however long it takes, as these windows have always read.
    signlink::SignLink m_link;
    signlink::SignPort &MSComm1;

private:
    void onConnectionLost(const QString &description);

    quint64 m_acksShown = 0;  // how often showAck() ran: tells which lines said something
};

} // namespace ui
