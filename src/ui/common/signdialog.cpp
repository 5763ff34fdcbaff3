#include "ui/common/signdialog.h"

#include "link/timers.h"
#include "protocol/clock.h"
#include "protocol/commands.h"
#include "session/sentences.h"
#include "ui/common/accessibility.h"
#include "ui/common/listbox.h"
#include "ui/main/kestrovanmain.h"

#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QProgressBar>

namespace ui {

void applyControlChanges(QWidget *root, const QList<config::ControlChange> &changes)
{
    for (const config::ControlChange &change : changes) {
        QWidget *control = root->findChild<QWidget *>(change.control);
        if (!control)
            continue;
        switch (change.property) {
        case config::ControlChange::Property::Visible:
            control->setVisible(change.value.toBool());
            break;
        case config::ControlChange::Property::Enabled:
            control->setEnabled(change.value.toBool());
            break;
        case config::ControlChange::Property::Caption:
            if (auto *label = qobject_cast<QLabel *>(control))
                label->setText(change.value.toString());
            break;
        }
    }
}

namespace {

// The same for a drop-down list and a list box, which answer the same calls.
template <typename List>
void refill(List *list, const QStringList &entries)
{
    list->clear();
    list->addItems(entries);
    list->setCurrentIndex(-1);
}

template <typename List>
void selectPosition(List *list, int position)
{
    if (position >= -1 && position < list->count())
        list->setCurrentIndex(position);
}

} // namespace

void refillList(QComboBox *list, const QStringList &entries) { refill(list, entries); }
void refillList(ListBox *list, const QStringList &entries) { refill(list, entries); }
void selectListPosition(QComboBox *list, int position) { selectPosition(list, position); }
void selectListPosition(ListBox *list, int position) { selectPosition(list, position); }

SignDialog::SignDialog(KestrovanMain &main, QWidget *parent)
    : QDialog(parent), m_main(main), m_link(main.makeSignPort()), MSComm1(m_link.port())
{
    Ack = new QLabel(this);
    Ack->setObjectName(QStringLiteral("Ack"));
    Ack->setWordWrap(true);
    // Room for three lines, kept whatever it says: a label whose height follows its width
    // would let the whole window shrink below what its other controls need (a window whose
    // layout depends on the width gets no minimum height of its own).
    QSizePolicy statusPolicy = Ack->sizePolicy();
    statusPolicy.setHeightForWidth(false);
    Ack->setSizePolicy(statusPolicy);
    Ack->setMinimumHeight(Ack->fontMetrics().lineSpacing() * 3);
    describeValueLabel(Ack, QStringLiteral("Status"));

    Progress = new QProgressBar(this);
    Progress->setObjectName(QStringLiteral("Progress"));
    Progress->setRange(0, 500);
    Progress->setValue(0);
    Progress->setTextVisible(false);
    Progress->setMaximumHeight(10);
    QSizePolicy keepPlace = Progress->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    Progress->setSizePolicy(keepPlace);
    Progress->setVisible(false);
    nameControl(Progress, QStringLiteral("Busy"));

    DateTime = new QLabel(this);
    DateTime->setObjectName(QStringLiteral("DateTime"));
    describeValueLabel(DateTime, QStringLiteral("Clock"));

    struct TimerSetup {
        QTimer *timer;
        const char *name;
        int interval;
    };
    const TimerSetup timers[] = {
        {&ProgressTimer, "ProgressTimer", 10}, {&RemoveAck, "RemoveAck", 5000}, {&ClockUpdate, "ClockUpdate", 1000}};
    for (const TimerSetup &setup : timers) {
        setup.timer->setParent(this);
        setup.timer->setObjectName(QString::fromLatin1(setup.name));
        setup.timer->setInterval(setup.interval);
    }
    connect(&ProgressTimer, &QTimer::timeout, this, &SignDialog::ProgressTimer_Timer);
    connect(&RemoveAck, &QTimer::timeout, this, &SignDialog::RemoveAck_Timer);
    connect(&ClockUpdate, &QTimer::timeout, this, &SignDialog::ClockUpdate_Timer);
    connect(&m_link, &signlink::SignLink::lineReceived, this,
            [this](const QByteArray &line) {
                const quint64 shown = m_acksShown;
                ProcessReply(QString::fromLatin1(line));
                // What the window made of the line is what it said of it.
                if (m_acksShown != shown && !Ack->text().isEmpty())
                    m_link.explainLastLine(Ack->text());
            });
    connect(&m_link, &signlink::SignLink::connectionLost, this, &SignDialog::onConnectionLost);

    ClockUpdate_Timer();
    ClockUpdate.start();
}

// The connection closes its device when it goes.
SignDialog::~SignDialog() = default;

void SignDialog::ProgressTimer_Timer()
{
    if (Progress->value() < 500)
        Progress->setValue(Progress->value() + 25);
    else
        Progress->setVisible(false);
}

void SignDialog::RemoveAck_Timer()
{
    Ack->clear();
    RemoveAck.stop();
}

void SignDialog::ClockUpdate_Timer()
{
    DateTime->setText(protocol::clockDisplayText(QDateTime::currentDateTime()));
}

bool SignDialog::openSignPort()
{
    const int port = m_main.selectedPortNumber();
    MSComm1.setCommPort(port);
    const signlink::OpenResult result = MSComm1.open();
    if (!result.ok())
        showAck(signlink::cannotOpenPortMessage(port, result));
    return result.ok();
}

bool SignDialog::writeCommand(const QString &command)
{
    if (const std::optional<QString> bad = protocol::firstUnsendableChar(command)) {
        showAck(protocol::cannotShowText(*bad));
        return false;
    }
    const std::optional<QByteArray> bytes = protocol::wireBytes(command);
    return bytes && MSComm1.output(*bytes);
}

void SignDialog::closeSignPort()
{
    MSComm1.close();
}

void SignDialog::showAck(const QString &text)
{
    Ack->setText(text);
    ++m_acksShown;
    signlink::startTimer(RemoveAck);
}

void SignDialog::startProgress()
{
    Progress->setValue(0);
    Progress->setEnabled(true);
    Progress->setVisible(true);
    signlink::startTimer(ProgressTimer);
}

void SignDialog::onConnectionLost(const QString &description)
{
    showAck(session::connectionLostText(description));
    connectionLost();
}

} // namespace ui
