#include "ui/common/signdialog.h"

#include "link/timers.h"
#include "protocol/clock.h"
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

void SignDialog::showAck(const QString &text)
{
    Ack->setText(text);
    signlink::startTimer(RemoveAck);
}

void SignDialog::startProgress()
{
    Progress->setValue(0);
    Progress->setEnabled(true);
    Progress->setVisible(true);
    signlink::startTimer(ProgressTimer);
}

} // namespace ui
