// The main window's controls and where they sit. Behaviour lives in the other files of the
// window; this one only builds, names and arranges.
#include "ui/main/kestrovanmain.h"

#include "ui/common/accessibility.h"
#include "ui/common/elidinglabel.h"
#include "ui/common/logo.h"
#include "ui/common/scrollarea.h"
#include "ui/ports/comportlisttips.h"
#include "ui/ports/portsdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui {

namespace {

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

QLabel *makeLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(name);
    return label;
}

QComboBox *makeList(QWidget *parent, const QString &name, const QString &accessibleName)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(name);
    // As wide as the longest entry of the lists the model gets, so that nothing shows cut.
    list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    nameCombo(list, accessibleName);
    return list;
}

} // namespace

void KestrovanMain::buildControls()
{
    // The controls scroll inside the window when the screen is smaller than they are (a large
    // font, 2x scaling on a small screen), rather than being cut or pushing the window off it.
    // Its scroll bars come and go as the status line wraps and captions turn bold; a screen
    // reader walking the window meanwhile must not bring the program down (see ScrollArea).
    auto *scroller = new ScrollArea(this);
    scroller->setObjectName(QStringLiteral("controlsScroller"));
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    setCentralWidget(scroller);
    auto *central = new QWidget(scroller);
    central->setObjectName(QStringLiteral("centralWidget"));
    scroller->setWidget(central);
    m_content = central;

    auto *top = new QHBoxLayout;
    top->addWidget(buildStatusColumn(), 0);
    top->addWidget(buildLinkColumn(), 1);

    m_priorityPanel = buildPriorityPanel();

    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(8, 6, 8, 6);
    outer->setSpacing(6);
    outer->addLayout(top);
    outer->addWidget(m_priorityPanel);
    outer->addStretch(1);

    buildMenu();
    // The logo opens a browser: it comes last when tabbing, and the first focus is elsewhere.
    QWidget::setTabOrder(TimeoutP4, Image1);
}

QWidget *KestrovanMain::buildStatusColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("statusColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    Image1 = new QToolButton(column);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAutoRaise(true);
    Image1->setIcon(QIcon(drawLogo(112, 56)));
    Image1->setIconSize(QSize(112, 56));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(tr("Open the maker's home page"));
    nameControl(Image1, QStringLiteral("Maker's home page"));
    layout->addWidget(Image1, 0, Qt::AlignLeft);

    auto *identity = new QGridLayout;
    identity->setHorizontalSpacing(4);
    identity->setVerticalSpacing(2);
    Label23 = makeLabel(column, QStringLiteral("Label23"), QStringLiteral("Type  : "));
    // What the sign reports may be any length; it must not widen the window for good.
    LEDSignModel = new ElidingLabel(column);
    LEDSignModel->setObjectName(QStringLiteral("LEDSignModel"));
    describeValueLabel(LEDSignModel, QStringLiteral("Type"));
    FCountLabel = makeLabel(column, QStringLiteral("FCountLabel"), QStringLiteral("Build No : "));
    FCount = new ElidingLabel(column);
    FCount->setObjectName(QStringLiteral("FCount"));
    describeValueLabel(FCount, QStringLiteral("Build No"));
    identity->addWidget(Label23, 0, 0);
    identity->addWidget(LEDSignModel, 0, 1);
    identity->addWidget(FCountLabel, 1, 0);
    identity->addWidget(FCount, 1, 1);
    identity->setColumnStretch(1, 1);
    layout->addLayout(identity);

    auto *portRow = new QHBoxLayout;
    C = makeLabel(column, QStringLiteral("C"), QStringLiteral("Comport"));
    ComportsList = new QComboBox(column);
    ComportsList->setObjectName(QStringLiteral("ComportsList"));
    nameCombo(ComportsList, QStringLiteral("Comport"));
    C->setBuddy(ComportsList);
    portRow->addWidget(C);
    portRow->addWidget(ComportsList, 1);
    // The Ports dialog beside the list, and tool tips that say which device each COM number opens.
    new ComportListTips(ComportsList, signlink::PortMap(), signlink::AdapterSources::system());
    PortsButton = new QToolButton(column);
    PortsButton->setObjectName(QStringLiteral("PortsButton"));
    PortsButton->setText(QStringLiteral("..."));
    PortsButton->setToolTip(tr("Ports..."));
    nameControl(PortsButton, QStringLiteral("Ports"));
    connect(PortsButton, &QToolButton::clicked, this, &KestrovanMain::signPorts_Click);
    portRow->addWidget(PortsButton);
    layout->addLayout(portRow);

    DownloadAll = makeButton(column, "DownloadAll", QStringLiteral("Download from Sign"));
    UploadAll = makeButton(column, "UploadAll", QStringLiteral("Upload to Sign"));
    ForceUpload = makeButton(column, "ForceUpload", QStringLiteral("Force Upload"));
    UploadFactoryDef = makeButton(column, "UploadFactoryDef", QStringLiteral("Upload Factory Defaults"));
    SetupDefaultMsg = makeButton(column, "SetupDefaultMsg", QStringLiteral("Setup Default Message"));
    SendTestMsg = makeButton(column, "SendTestMsg", QStringLiteral("Send Test Message"));
    for (QPushButton *button : {DownloadAll, UploadAll, ForceUpload, UploadFactoryDef, SetupDefaultMsg, SendTestMsg})
        layout->addWidget(button);

    ProgressUploadAll = new QProgressBar(column);
    ProgressUploadAll->setObjectName(QStringLiteral("ProgressUploadAll"));
    ProgressUploadAll->setRange(0, 1);
    ProgressUploadAll->setValue(0);
    ProgressUploadAll->setTextVisible(false);
    ProgressUploadAll->setMaximumHeight(12);
    nameControl(ProgressUploadAll, QStringLiteral("Upload progress"));
    QSizePolicy keepPlace = ProgressUploadAll->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    ProgressUploadAll->setSizePolicy(keepPlace);
    ProgressUploadAll->setVisible(false);
    layout->addWidget(ProgressUploadAll);

    Textout = makeLabel(column, QStringLiteral("Textout"), QString());
    describeValueLabel(Textout, QStringLiteral("Status"));
    Textout->setWordWrap(true);
    Textout->setMinimumHeight(Textout->fontMetrics().height() * 2);
    Textout->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QSizePolicy statusPlace = Textout->sizePolicy();
    statusPlace.setRetainSizeWhenHidden(true);
    Textout->setSizePolicy(statusPlace);
    Textout->setVisible(false);
    layout->addWidget(Textout);

    layout->addStretch(1);

    auto *toggleRow = new QHBoxLayout;
    ShowPriority = new QToolButton(column);
    ShowPriority->setObjectName(QStringLiteral("ShowPriority"));
    ShowPriority->setArrowType(Qt::DownArrow);
    ShowPriority->setToolTip(tr("Show the priority settings"));
    nameControl(ShowPriority, QStringLiteral("Show priority settings"));
    HidePriority = new QToolButton(column);
    HidePriority->setObjectName(QStringLiteral("HidePriority"));
    HidePriority->setArrowType(Qt::UpArrow);
    HidePriority->setToolTip(tr("Hide the priority settings"));
    nameControl(HidePriority, QStringLiteral("Hide priority settings"));
    toggleRow->addWidget(ShowPriority);
    toggleRow->addWidget(HidePriority);
    toggleRow->addStretch(1);
    TestBtn = makeButton(column, "TestBtn", QStringLiteral("Test"));
    TestBtn->setFlat(true);
    TestOut = makeLabel(column, QStringLiteral("TestOut"), QStringLiteral("TestOut"));
    toggleRow->addWidget(TestBtn);
    toggleRow->addWidget(TestOut);
    layout->addLayout(toggleRow);
    return column;
}

QWidget *KestrovanMain::buildLinkColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("linkColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(4);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(2);
    Label21 = makeLabel(column, QStringLiteral("Label21"), QStringLiteral("Linked to Capcode"));
    Label22 = makeLabel(column, QStringLiteral("Label22"), QStringLiteral("Linked to Priority"));
    grid->addWidget(Label21, 0, 1);
    grid->addWidget(Label22, 0, 2);

    QLabel **idLabels[] = {&LabelID0, &LabelID1, &LabelID2, &LabelID3,
                           &LabelID4, &LabelID5, &LabelID6, &LabelID7};
    for (int i = 0; i < config::LinkCount; ++i) {
        *idLabels[i] = makeLabel(column, QStringLiteral("LabelID%1").arg(i), QStringLiteral("ID   %1").arg(i));
        Capcode0[i] = new QLineEdit(column);
        Capcode0[i]->setObjectName(QStringLiteral("Capcode0[%1]").arg(i));
        // Room for a few joined capcodes; a maximised window does not stretch them further.
        Capcode0[i]->setMaximumWidth(Capcode0[i]->fontMetrics().horizontalAdvance(QStringLiteral("0000000,")) * 4);
        nameControl(Capcode0[i], QStringLiteral("ID %1 Capcode").arg(i));
        (*idLabels[i])->setBuddy(Capcode0[i]);
        Pri0[i] = makeList(column, QStringLiteral("Pri0[%1]").arg(i), QStringLiteral("ID %1 Priority").arg(i));
        grid->addWidget(*idLabels[i], i + 1, 0);
        grid->addWidget(Capcode0[i], i + 1, 1);
        grid->addWidget(Pri0[i], i + 1, 2);
    }
    // The capcodes have a width of their own; what a wide window adds goes beside the rows.
    grid->setColumnStretch(3, 1);
    layout->addLayout(grid);

    auto *modes = new QGridLayout;
    modes->setVerticalSpacing(2);
    AutoID = new QCheckBox(QStringLiteral("Auto sequence messages"), column);
    AutoID->setObjectName(QStringLiteral("AutoID"));
    AutoID->setToolTip(QStringLiteral("Increment IDs Automatically for incoming messages"));
    TestLabel = makeLabel(column, QStringLiteral("TestLabel"), QString());
    describeValueLabel(TestLabel, QStringLiteral("ID mode"));
    ForceOnID0 = new QCheckBox(QStringLiteral("Force all messages to ID 0"), column);
    ForceOnID0->setObjectName(QStringLiteral("ForceOnID0"));
    modes->addWidget(AutoID, 0, 0);
    modes->addWidget(TestLabel, 0, 1);
    modes->addWidget(ForceOnID0, 1, 0, 1, 2);
    modes->setColumnStretch(1, 1);
    layout->addLayout(modes);

    auto *userRow = new QHBoxLayout;
    Label24 = makeLabel(column, QStringLiteral("Label24"), QStringLiteral("User Defined Reset Command"));
    usercmd1 = new QLineEdit(column);
    usercmd1->setObjectName(QStringLiteral("usercmd1"));
    nameControl(usercmd1, QStringLiteral("User Defined Reset Command"));
    Label24->setBuddy(usercmd1);
    userRow->addWidget(Label24);
    userRow->addWidget(usercmd1, 1);
    layout->addLayout(userRow);
    layout->addStretch(1);
    return column;
}

QWidget *KestrovanMain::buildPriorityPanel()
{
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("priorityPanel"));
    panel->setFrameShape(QFrame::StyledPanel);
    auto *grid = new QGridLayout(panel);
    grid->setContentsMargins(6, 4, 6, 4);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);

    Label5 = makeLabel(panel, QStringLiteral("Label5"), QStringLiteral("Font"));
    Label6 = makeLabel(panel, QStringLiteral("Label6"), QStringLiteral("Style"));
    Label7 = makeLabel(panel, QStringLiteral("Label7"), QStringLiteral("Color"));
    label8 = makeLabel(panel, QStringLiteral("label8"), QStringLiteral("Speed"));
    Label9 = makeLabel(panel, QStringLiteral("Label9"), QStringLiteral("Align"));
    Label10 = makeLabel(panel, QStringLiteral("Label10"), QStringLiteral("Pause"));
    Label11 = makeLabel(panel, QStringLiteral("Label11"), QStringLiteral("Beep"));
    Label12 = makeLabel(panel, QStringLiteral("Label12"), QStringLiteral("Timeout (Secs)"));
    QLabel *headers[] = {Label5, Label6, Label7, label8, Label9, Label10, Label11, Label12};
    for (int c = 0; c < 8; ++c)
        grid->addWidget(headers[c], 0, c + 1);

    QLabel **rowLabels[] = {&Label0, &Label1, &Label2, &Label3, &Label4};
    QComboBox **fonts[] = {&FontP0, &FontP1, &FontP2, &FontP3, &FontP4};
    QComboBox **styles[] = {&StyleP0, &StyleP1, &StyleP2, &StyleP3, &StyleP4};
    QComboBox **colors[] = {&ColorP0, &ColorP1, &ColorP2, &ColorP3, &ColorP4};
    QComboBox **speeds[] = {&SpeedP0, &SpeedP1, &SpeedP2, &SpeedP3, &SpeedP4};
    QComboBox **aligns[] = {&AlignmentP0, &AlignmentP1, &AlignmentP2, &AlignmentP3, &AlignmentP4};
    QComboBox **pauses[] = {&PauseP0, &PauseP1, &PauseP2, &PauseP3, &PauseP4};
    QComboBox **beeps[] = {&BeepP0, &BeepP1, &BeepP2, &BeepP3, &BeepP4};
    QLineEdit **timeouts[] = {&TimeoutP0, &TimeoutP1, &TimeoutP2, &TimeoutP3, &TimeoutP4};

    for (int n = 0; n < config::PriorityCount; ++n) {
        const QString row = QString::number(n);
        const QString who = QStringLiteral("Priority %1 ").arg(n);
        *rowLabels[n] = makeLabel(panel, QStringLiteral("Label%1").arg(n), QStringLiteral("Priority %1").arg(n));
        *fonts[n] = makeList(panel, QStringLiteral("FontP") + row, who + QStringLiteral("Font"));
        *styles[n] = makeList(panel, QStringLiteral("StyleP") + row, who + QStringLiteral("Style"));
        *colors[n] = makeList(panel, QStringLiteral("ColorP") + row, who + QStringLiteral("Color"));
        *speeds[n] = makeList(panel, QStringLiteral("SpeedP") + row, who + QStringLiteral("Speed"));
        *aligns[n] = makeList(panel, QStringLiteral("AlignmentP") + row, who + QStringLiteral("Align"));
        *pauses[n] = makeList(panel, QStringLiteral("PauseP") + row, who + QStringLiteral("Pause"));
        *beeps[n] = makeList(panel, QStringLiteral("BeepP") + row, who + QStringLiteral("Beep"));
        // The pause box takes a typed digit as well as a pick from its list.
        QComboBox *pause = *pauses[n];
        pause->setEditable(true);
        pause->setInsertPolicy(QComboBox::NoInsert);
        pause->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]?")), pause));
        pause->setMinimumContentsLength(2);
        *timeouts[n] = new QLineEdit(panel);
        (*timeouts[n])->setObjectName(QStringLiteral("TimeoutP") + row);
        nameControl(*timeouts[n], who + QStringLiteral("Timeout"));
        (*timeouts[n])->setMaximumWidth((*timeouts[n])->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);

        grid->addWidget(*rowLabels[n], n + 1, 0);
        QWidget *cells[] = {*fonts[n], *styles[n], *colors[n], *speeds[n], *aligns[n], *pauses[n], *beeps[n], *timeouts[n]};
        for (int c = 0; c < 8; ++c)
            grid->addWidget(cells[c], n + 1, c + 1);
    }
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(2, 2);
    grid->setColumnStretch(3, 2);
    return panel;
}

void KestrovanMain::buildMenu()
{
    signFile = menuBar()->addMenu(QStringLiteral("&File"));
    signFile->setObjectName(QStringLiteral("signFile"));
    // Open and Save keep the captions operators know from the tool; the items added beside them
    // end in "..." as they ask before acting.
    signOpenFile = signFile->addAction(QStringLiteral("&Open"));
    signOpenFile->setObjectName(QStringLiteral("signOpenFile"));
    signOpenFile->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    signOpenBackup = signFile->addAction(QStringLiteral("Open Backup..."));
    signOpenBackup->setObjectName(QStringLiteral("signOpenBackup"));
    menuBar1 = signFile->addSeparator();
    menuBar1->setObjectName(QStringLiteral("menuBar1"));
    signSaveAs = signFile->addAction(QStringLiteral("Save"));
    signSaveAs->setObjectName(QStringLiteral("signSaveAs"));
    signSaveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    menuBar2 = signFile->addSeparator();
    menuBar2->setObjectName(QStringLiteral("menuBar2"));
    signCompare = signFile->addAction(QStringLiteral("Compare with Sign..."));
    signCompare->setObjectName(QStringLiteral("signCompare"));
    signFile->addSeparator()->setObjectName(QStringLiteral("compareSeparator"));
    signExit = signFile->addAction(QStringLiteral("E&xit"));
    signExit->setObjectName(QStringLiteral("signExit"));
    signExit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

    signTools = menuBar()->addMenu(QStringLiteral("&Tools"));
    signTools->setObjectName(QStringLiteral("signTools"));
    signUpgrade = signTools->addAction(QStringLiteral("&Upgrade"));
    signUpgrade->setObjectName(QStringLiteral("signUpgrade"));
    signVerify = signTools->addAction(QStringLiteral("&Verify After Upload"));
    signVerify->setObjectName(QStringLiteral("signVerify"));
    signVerify->setCheckable(true);
    signPorts = signTools->addAction(QStringLiteral("&Ports..."));
    signPorts->setObjectName(QStringLiteral("signPorts"));
    connect(signPorts, &QAction::triggered, this, &KestrovanMain::signPorts_Click);
    signTraffic = signTools->addAction(QStringLiteral("Sign &Traffic"));
    signTraffic->setObjectName(QStringLiteral("signTraffic"));

    signHelp = menuBar()->addMenu(QStringLiteral("&Help"));
    signHelp->setObjectName(QStringLiteral("signHelp"));
    signSupportReport = signHelp->addAction(QStringLiteral("Save Support &Report..."));
    signSupportReport->setObjectName(QStringLiteral("signSupportReport"));
    signHelp->addSeparator();
    signAbout = signHelp->addAction(QStringLiteral("&About"));
    signAbout->setObjectName(QStringLiteral("signAbout"));
}

std::array<PriorityRowControls, config::PriorityCount> KestrovanMain::priorityRows() const
{
    return {{
        {FontP0, StyleP0, ColorP0, SpeedP0, AlignmentP0, PauseP0, BeepP0, TimeoutP0},
        {FontP1, StyleP1, ColorP1, SpeedP1, AlignmentP1, PauseP1, BeepP1, TimeoutP1},
        {FontP2, StyleP2, ColorP2, SpeedP2, AlignmentP2, PauseP2, BeepP2, TimeoutP2},
        {FontP3, StyleP3, ColorP3, SpeedP3, AlignmentP3, PauseP3, BeepP3, TimeoutP3},
        {FontP4, StyleP4, ColorP4, SpeedP4, AlignmentP4, PauseP4, BeepP4, TimeoutP4},
    }};
}

void KestrovanMain::signPorts_Click()
{
    showPortsDialog(this, ComportsList,
                    {signlink::PortMap(), signlink::AdapterSources::system(), m_ports, m_services, selectedPortNumber()});
}

} // namespace ui
