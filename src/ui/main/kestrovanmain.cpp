#include "ui/main/kestrovanmain.h"

#include "config/attribute.h"
#include "config/catalogue.h"
#include "firmware/firmware.h"
#include "ui/about/ledsignhelp.h"
#include "ui/defaultmsg/kestrovandefaultmessage.h"
#include "ui/testmsg/ledtestmessage.h"
#include "ui/common/maker.h"
#include "ui/common/signdialog.h"
#include "ui/common/uiservices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QToolButton>
#include <QUrl>

namespace ui {

namespace {

// Every priority row gets the same lists; nothing is selected afterwards.
void fillPriorityRows(const std::array<PriorityRowControls, config::PriorityCount> &rows,
                      const config::ModelOptionSet &set)
{
    for (const PriorityRowControls &row : rows) {
        for (const config::Attribute attribute : config::AllAttributes)
            refillList(config::attributeOf(row, attribute), config::attributeOf(set, attribute));
    }
}

qint16 positionOf(const QComboBox *list)
{
    return static_cast<qint16>(list->currentIndex());
}

} // namespace

KestrovanMain::KestrovanMain(PortFactory ports, UiServices &services, QWidget *parent)
    : QMainWindow(parent),
      m_ports(std::move(ports)),
      m_services(services),
      MSComm2(m_ports(), this),
      m_session(MSComm2, m_config, [this] { return currentValues(); }, this),
      DataTimeout(MSComm2.lineTimer()),
      SleepTimer(m_session.SleepTimer),
      FactoryDef(m_session.FactoryDef),
      UploadTimer(m_session.UploadTimer),
      ComClose(m_session.ComClose)
{
    setObjectName(QStringLiteral("KestrovanMain"));
    setWindowTitle(QStringLiteral("Sign Configuration Manager ver 4.8b"));
    buildControls();
    setupTimers();
    connectSession();
    connectHandlers();
    Form_Load();
    loadPreferences();
    watchForEdits();
    resize(fittingSize());
}

// The port object closes its device when it goes; nothing else is saved or sent on the way out.
KestrovanMain::~KestrovanMain() = default;

void KestrovanMain::setupTimers()
{
    // The sequence timers are the session's; this one clears the window's own status line.
    TextClear.setParent(this);
    TextClear.setObjectName(QStringLiteral("TextClear"));
    TextClear.setInterval(5000);
    TextClear.setTimerType(Qt::PreciseTimer);
}

void KestrovanMain::connectHandlers()
{
    connect(&TextClear, &QTimer::timeout, this, &KestrovanMain::TextClear_Timer);

    connect(DownloadAll, &QPushButton::clicked, this, &KestrovanMain::DownloadAll_Click);
    connect(UploadAll, &QPushButton::clicked, this, &KestrovanMain::UploadAll_Click);
    connect(ForceUpload, &QPushButton::clicked, this, &KestrovanMain::ForceUpload_Click);
    connect(UploadFactoryDef, &QPushButton::clicked, this, &KestrovanMain::UploadFactoryDef_Click);
    connect(ForceOnID0, &QCheckBox::clicked, this, &KestrovanMain::ForceOnID0_Click);
    AutoID->installEventFilter(this);

    // Only typing in the box counts: a pause chosen by a download or a file marks nothing.
    connect(PauseP0->lineEdit(), &QLineEdit::textEdited, this, &KestrovanMain::PauseP0_Change);
    connect(PauseP1->lineEdit(), &QLineEdit::textEdited, this, &KestrovanMain::PauseP1_Change);
    for (const PriorityRowControls &row : priorityRows()) {
        QComboBox *pause = row.pause;
        // A typed digit selects the entry it names, so the list position follows the text.
        connect(pause->lineEdit(), &QLineEdit::textEdited, pause,
                [pause](const QString &text) { pause->setCurrentIndex(pause->findText(text)); });
    }

    connect(ShowPriority, &QToolButton::clicked, this, &KestrovanMain::ShowPriority_Click);
    connect(HidePriority, &QToolButton::clicked, this, &KestrovanMain::HidePriority_Click);
    connect(TestBtn, &QPushButton::clicked, this, &KestrovanMain::TestBtn_Click);
    connect(Image1, &QToolButton::clicked, this, &KestrovanMain::Image1_Click);
    connect(SetupDefaultMsg, &QPushButton::clicked, this, &KestrovanMain::SetupDefaultMsg_Click);
    connect(SendTestMsg, &QPushButton::clicked, this, &KestrovanMain::SendTestMsg_Click);
    connect(signExit, &QAction::triggered, this, &KestrovanMain::signExit_Click);
    connect(signSaveAs, &QAction::triggered, this, &KestrovanMain::signSaveAs_Click);
    connect(signOpenFile, &QAction::triggered, this, &KestrovanMain::signOpenFile_Click);
    connect(signAbout, &QAction::triggered, this, &KestrovanMain::signAbout_Click);
    connect(signUpgrade, &QAction::triggered, this, &KestrovanMain::signUpgrade_Click);
    connect(signOpenBackup, &QAction::triggered, this, &KestrovanMain::signOpenBackup_Click);
    connect(signCompare, &QAction::triggered, this, &KestrovanMain::signCompare_Click);
    connect(signVerify, &QAction::triggered, this, &KestrovanMain::signVerify_Click);
    connect(signTraffic, &QAction::triggered, this, &KestrovanMain::signTraffic_Click);
    connect(signSupportReport, &QAction::triggered, this, &KestrovanMain::signSupportReport_Click);
    // Without a traffic log (a test's window) there is nothing to show.
    signTraffic->setEnabled(signPort().trafficLog() != nullptr);
}

void KestrovanMain::Form_Load()
{
    m_config.flags.priorityChanged.fill(false);

    fillPriorityRows(priorityRows(), config::standardOptionSet());

    ComportsList->clear();
    for (int n = 1; n <= 12; ++n)
        ComportsList->addItem(QStringLiteral("COM %1").arg(n));
    ComportsList->setCurrentIndex(0);

    const QStringList priorities = config::linkPriorityLabels();
    for (QComboBox *list : Pri0)
        refillList(list, priorities);

    m_saveSettingsTick = 1;
    m_config.configFileName.clear();

    // The panel with the display defaults is open at start; its hide button lies in front.
    ShowPriority->setVisible(false);
    HidePriority->setVisible(true);
}

config::ConfigValues KestrovanMain::currentValues() const
{
    config::ConfigValues values;
    const auto rows = priorityRows();
    for (int n = 0; n < config::PriorityCount; ++n) {
        const PriorityRowControls &row = rows[n];
        config::PriorityDefaults &p = values.priorities[n];
        for (const config::Attribute attribute : config::AllAttributes)
            config::attributeOf(p, attribute) = positionOf(config::attributeOf(row, attribute));
        p.timeout = row.timeout->text();
    }
    for (int i = 0; i < config::LinkCount; ++i) {
        values.links[i].capcode = Capcode0[i]->text();
        values.links[i].priority = positionOf(Pri0[i]);
    }
    values.autoId = AutoID->isChecked() ? 1 : 0;
    values.userCommand = usercmd1->text();
    return values;
}

qint16 KestrovanMain::getChangedRows()
{
    return config::getChangedRows(currentValues(), m_config.baseline, m_config.flags);
}

void KestrovanMain::ApplyModelOptions(const QString &model, const QString &build)
{
    Q_UNUSED(build)  // the build number selects nothing
    const config::ModelOptionSet set = config::SelectOptionSet(model, config::OptionWindow::Main);
    fillPriorityRows(priorityRows(), set);
    for (const PriorityRowControls &row : priorityRows()) {
        if (set.speedState != config::SelectorState::Leave)
            row.speed->setEnabled(set.speedState == config::SelectorState::Enable);
        if (set.alignmentState != config::SelectorState::Leave)
            row.alignment->setEnabled(set.alignmentState == config::SelectorState::Enable);
    }
    applyControlChanges(this, set.extra);
}

void KestrovanMain::PauseP0_Change()
{
    m_config.flags.priorityChanged[0] = true;
}

void KestrovanMain::PauseP1_Change()
{
    m_config.flags.priorityChanged[1] = true;
}

QSize KestrovanMain::fittingSize() const
{
    // What the controls need, plus the menu bar, but never more than the screen has room for:
    // beyond that the controls scroll. The fixed heights of the sign's own software were made
    // for one font; these follow the font and the scale in use, so that hiding the panel
    // leaves no blank band and showing it cuts nothing.
    m_content->layout()->activate();
    QSize size = m_content->sizeHint() + QSize(0, menuBar()->sizeHint().height());
    if (const QScreen *where = screen()) {
        const int frame = std::max(0, frameGeometry().height() - geometry().height());
        const QRect room = where->availableGeometry();
        size = size.boundedTo(QSize(room.width(), room.height() - frame));
    }
    return size;
}

void KestrovanMain::fitHeight()
{
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    resize(width(), fittingSize().height());
}

void KestrovanMain::ShowPriority_Click()
{
    m_priorityPanel->setVisible(true);
    fitHeight();
    ShowPriority->setVisible(false);
    HidePriority->setVisible(true);
}

void KestrovanMain::HidePriority_Click()
{
    m_priorityPanel->setVisible(false);
    fitHeight();
    ShowPriority->setVisible(true);
    HidePriority->setVisible(false);
}

void KestrovanMain::TestBtn_Click()
{
    // A leftover aid for lining up the style column: nudges it right by 10 twips and says where
    // it now starts. The layout puts it back on the next resize.
    const int step = std::max(1, 10 * logicalDpiX() / 1440);
    StyleP0->move(StyleP0->x() + step, StyleP0->y());
    TestOut->setText(QString::number(StyleP0->x() * 1440 / logicalDpiX()));
}

void KestrovanMain::Image1_Click()
{
    if (!m_services.openUrl(QUrl(QString::fromLatin1(maker::HomePage))))
        showStatus(tr("No web browser could be started for %1").arg(QString::fromLatin1(maker::HomePage)));
}

void KestrovanMain::C_Click()
{
}

void KestrovanMain::SetupDefaultMsg_Click()
{
    // That window opens the same COM number with a connection of its own; a download still
    // waiting for its answer is over now.
    m_session.abandonRead();
    refreshPortActions();

    KestrovanDefaultMessage window(*this);
    m_services.execDialog(window);
}

void KestrovanMain::SendTestMsg_Click()
{
    // The main window keeps its own connection: a command there while it holds the port is
    // told so in that window.
    LEDTestMessage window(*this);
    m_services.execDialog(window);
}

void KestrovanMain::signExit_Click()
{
    close();
}

void KestrovanMain::signAbout_Click()
{
    LEDSignHelp about(windowTitle(), this);
    m_services.execDialog(about);
}

void KestrovanMain::signUpgrade_Click()
{
    const QStringList candidates = firmware::flasherCandidates(QCoreApplication::applicationDirPath());
    for (const QString &program : candidates) {
        if (!QFileInfo(program).isFile())
            continue;
        if (m_services.startDetached(program, {}, QFileInfo(program).absolutePath()))
            return;
        m_services.message(this, QString(), tr("The flashing program %1 could not be started.").arg(program),
                           UiServices::Icon::Warning);
        return;
    }
    m_services.message(this, QString(), tr("The flashing program was not found: %1").arg(candidates.join(tr(" or "))),
                       UiServices::Icon::Warning);
}

void KestrovanMain::checkFirmwareCount()
{
    if (firmware::needsReminder(FCount->text()))
        m_services.message(this, firmware::reminderTitle(), firmware::reminderText());
}

} // namespace ui
