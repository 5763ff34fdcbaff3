#pragma once

#include "config/configdiff.h"
#include "config/ledfile.h"
#include "config/signconfig.h"
#include "link/signlink.h"
#include "link/signport.h"
#include "session/configsession.h"
#include "session/supportreport.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFile;
class QSaveFile;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolButton;
class QWidget;

namespace ui {

class UiServices;
class SignTrafficWindow;

// Makes the serial connection a window talks to the sign through.
using PortFactory = std::function<std::unique_ptr<signlink::SignPort>()>;

// The controls of one priority row of the display defaults.
struct PriorityRowControls {
    QComboBox *font, *style, *color, *speed, *alignment, *pause, *beep;
    QLineEdit *timeout;
};

// The main window: the sign's configuration, the status line, and the buttons of every workflow.
// It lives for the whole run. Its port is opened by each action and closed again after it. What
// goes to the sign, in which order and when, is the session's; the window shows it.
class KestrovanMain : public QMainWindow {
    Q_OBJECT

    // First, so that the timers below can name the session's.
    PortFactory m_ports;
    UiServices &m_services;
    signlink::SignLink MSComm2;
    config::SignConfig m_config;
    session::ConfigSession m_session;

public:
    KestrovanMain(PortFactory ports, UiServices &services, QWidget *parent = nullptr);
    ~KestrovanMain() override;

    // State the other windows read.
    QString LEDSignModelNumber() const { return m_modelNumber; }
    QString LEDSignBuildNumber() const { return m_buildNumber; }
    qint16 getSaveSettingsTick() const { return m_saveSettingsTick; }
    void setSaveSettingsTick(qint16 tick) { m_saveSettingsTick = tick; }

    // Compares the controls with the baseline and flags what differs (the upload calls it).
    qint16 getChangedRows();

    // The sign link of this window: the COM number comes from ComportsList (position + 1).
    signlink::OpenResult openSignPort();
    // Opens the port; on failure shows "Cannot Open Port:" with the port number and the reason.
    bool openSignPortOrSay();
    bool writeCommand(const QString &command);  // one write of the text and a single CR
    void closeSignPort();
    int selectedPortNumber() const;
    signlink::SignPort &signPort() { return MSComm2.port(); }
    const signlink::SignPort &signPort() const { return MSComm2.port(); }
    session::ConfigSession &configSession() { return m_session; }

    const config::SignConfig &signConfig() const { return m_config; }

    // For the secondary windows: a serial connection of their own, and the desktop's dialogs.
    std::unique_ptr<signlink::SignPort> makeSignPort() const { return m_ports(); }
    UiServices &services() const { return m_services; }
    config::ConfigValues currentValues() const;
    std::array<PriorityRowControls, config::PriorityCount> priorityRows() const;

    // .led files and the default message kept with the configuration.
    bool SaveTextToFile(const QString &FileFullPath, const QString &sText, bool Overwrite);
    bool readConfigFile(const QString &fileName);
    void SaveDefaultMsg(const QString &DefMsg, qint16 DefFont, qint16 DefColor, qint16 DefStyle, qint16 DefAlign,
                        qint16 DefSpeed, qint16 DefPause);
    QString getDefaultMsg() const;
    // True when the default-message window is to read the message from the sign: no file is
    // open, and no message kept here waits to be uploaded (reading would put the sign's over it).
    bool IsDefMsgEmpty() const { return m_config.configFileName.isEmpty() && !m_defaultMsgUnsent; }
    void DeleteConfigFileName() { m_config.configFileName.clear(); }
    // Whether the default message kept here was changed and is not on the sign: it is marked on
    // SetupDefaultMsg, and closing the window asks about it.
    void setDefaultMsgUnsent(bool unsent);
    bool defaultMsgUnsent() const { return m_defaultMsgUnsent; }

    // Where file access comes from; a test puts in files that fail part way.
    using SaveFileFactory = std::function<std::unique_ptr<QSaveFile>(const QString &path)>;
    using ReadFileFactory = std::function<std::unique_ptr<QFile>(const QString &path)>;
    void setFileFactories(SaveFileFactory saving, ReadFileFactory reading);

    // The option lists for a model, as the catalogue gives them for this window.
    void ApplyModelOptions(const QString &model, const QString &build);

    // What Help > Save Support Report writes: versions, ports, the configuration last read, the
    // settings and the recent traffic.
    session::SupportReport supportReport() const;

    // Shows `text` in the status line and starts its clearing timer.
    void showStatus(const QString &text);

    // Puts what a configuration dump says into the controls and the baseline.
    void applyConfigDump(const QString &line);

    // "Yes" in the factory-defaults confirmation: sends "<FD>" and reads the result back.
    void FactoryDefaultsConfirmed();

    // Whether a sequence holds the port now (a download, an upload, factory defaults, an ID
    // switch): every other action that would open, close or write the port waits for it.
    bool portBusy() const;
    // The items the next upload would send: what differs from the sign (as getChangedRows
    // compares, without touching the baseline) and what is still flagged from before.
    config::ChangeFlags pendingItems() const;

    // --- controls (named as the other windows and the tests know them) ---
    QPushButton *TestBtn = nullptr;
    QCheckBox *ForceOnID0 = nullptr;
    QPushButton *ForceUpload = nullptr;
    QPushButton *SetupDefaultMsg = nullptr;
    QLineEdit *usercmd1 = nullptr;
    QLabel *Label24 = nullptr;
    QComboBox *ComportsList = nullptr;
    QCheckBox *AutoID = nullptr;

    QComboBox *FontP0 = nullptr, *FontP1 = nullptr, *FontP2 = nullptr, *FontP3 = nullptr, *FontP4 = nullptr;
    QComboBox *StyleP0 = nullptr, *StyleP1 = nullptr, *StyleP2 = nullptr, *StyleP3 = nullptr, *StyleP4 = nullptr;
    QComboBox *ColorP0 = nullptr, *ColorP1 = nullptr, *ColorP2 = nullptr, *ColorP3 = nullptr, *ColorP4 = nullptr;
    QComboBox *SpeedP0 = nullptr, *SpeedP1 = nullptr, *SpeedP2 = nullptr, *SpeedP3 = nullptr, *SpeedP4 = nullptr;
    QComboBox *AlignmentP0 = nullptr, *AlignmentP1 = nullptr, *AlignmentP2 = nullptr, *AlignmentP3 = nullptr,
              *AlignmentP4 = nullptr;
    QComboBox *PauseP0 = nullptr, *PauseP1 = nullptr, *PauseP2 = nullptr, *PauseP3 = nullptr, *PauseP4 = nullptr;
    QComboBox *BeepP0 = nullptr, *BeepP1 = nullptr, *BeepP2 = nullptr, *BeepP3 = nullptr, *BeepP4 = nullptr;
    QLineEdit *TimeoutP0 = nullptr, *TimeoutP1 = nullptr, *TimeoutP2 = nullptr, *TimeoutP3 = nullptr,
              *TimeoutP4 = nullptr;

    std::array<QLineEdit *, config::LinkCount> Capcode0{};
    std::array<QComboBox *, config::LinkCount> Pri0{};
    QLabel *LabelID0 = nullptr, *LabelID1 = nullptr, *LabelID2 = nullptr, *LabelID3 = nullptr,
           *LabelID4 = nullptr, *LabelID5 = nullptr, *LabelID6 = nullptr, *LabelID7 = nullptr;
    QLabel *Label21 = nullptr, *Label22 = nullptr;
    QLabel *Label0 = nullptr, *Label1 = nullptr, *Label2 = nullptr, *Label3 = nullptr, *Label4 = nullptr;
    QLabel *Label5 = nullptr, *Label6 = nullptr, *Label7 = nullptr, *label8 = nullptr, *Label9 = nullptr,
           *Label10 = nullptr, *Label11 = nullptr, *Label12 = nullptr;

    QPushButton *SendTestMsg = nullptr;
    QPushButton *UploadFactoryDef = nullptr;
    QPushButton *UploadAll = nullptr;
    QPushButton *DownloadAll = nullptr;
    QProgressBar *ProgressUploadAll = nullptr;
    QToolButton *ShowPriority = nullptr, *HidePriority = nullptr;
    QLabel *TestOut = nullptr;
    QLabel *FCountLabel = nullptr, *FCount = nullptr;
    QToolButton *Image1 = nullptr;
    QLabel *TestLabel = nullptr;
    QLabel *Label23 = nullptr, *LEDSignModel = nullptr;
    QLabel *Textout = nullptr;
    QLabel *C = nullptr;
    QToolButton *PortsButton = nullptr;  // opens the Ports dialog, as Tools > Ports... does

    QMenu *signFile = nullptr, *signTools = nullptr, *signHelp = nullptr;
    QAction *signOpenFile = nullptr, *menuBar1 = nullptr, *signSaveAs = nullptr, *menuBar2 = nullptr,
            *signExit = nullptr, *signUpgrade = nullptr, *signAbout = nullptr;
    // Knowing what the sign holds: backups, the comparison, the check after an upload.
    QAction *signOpenBackup = nullptr, *signCompare = nullptr, *signVerify = nullptr;
    QAction *signPorts = nullptr;
    // Seeing what went over the line: the traffic window and the report for a support desk.
    QAction *signTraffic = nullptr, *signSupportReport = nullptr;

    // DataTimeout belongs to the connection, the sequence timers to the session.
    QTimer &DataTimeout, &SleepTimer, &FactoryDef, &UploadTimer, &ComClose;
    QTimer TextClear;

public slots:
    void MSComm2_OnComm();
    void DataTimeout_Timer();
    void ComClose_Timer();
    void TextClear_Timer();

    void PauseP0_Change();
    void PauseP1_Change();
    void ShowPriority_Click();
    void HidePriority_Click();

    void DownloadAll_Click();
    void UploadAll_Click();
    void ForceUpload_Click();
    void UploadTimer_Timer();
    void AutoID_MouseDown();
    void ForceOnID0_Click();
    void UploadFactoryDef_Click();
    void FactoryDef_Timer();

    void TestBtn_Click();
    void Image1_Click();
    void C_Click();
    void SetupDefaultMsg_Click();
    void SendTestMsg_Click();
    void signExit_Click();
    void signAbout_Click();
    void signSaveAs_Click();
    void signOpenFile_Click();
    void signUpgrade_Click();
    void signOpenBackup_Click();
    void signCompare_Click();
    void signVerify_Click(bool checked);
    void signPorts_Click();
    void signTraffic_Click();
    void signSupportReport_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    SignTrafficWindow *m_trafficWindow = nullptr;  // made when first opened, a child of this window

    void Form_Load();
    void buildControls();
    QWidget *buildStatusColumn();
    QWidget *buildLinkColumn();
    QWidget *buildPriorityPanel();
    void buildMenu();
    void connectHandlers();
    void setupTimers();
    void connectSession();
    void onConnectionLost(const QString &description, bool duringUpload);
    void onUploadEnded(const session::UploadOutcome &outcome);
    void applyConfiguration(const session::ReadConfiguration &read);
    void showProgress(const session::UploadProgress &progress);
    void beginUpload(bool force);
    // `text` as the status line shows it while an upload or its check runs: after the reason no
    // backup was made, when none was.
    QString uploadStatus(const QString &text) const;
    // `text` after the reason no backup was made before the last upload, when none was.
    QString withBackupStatus(const QString &text) const;
    QSize fittingSize() const;
    void fitHeight();
    void checkFirmwareCount();
    void refreshPortActions();
    void updatePendingMarks();
    void watchForEdits();
    void reportFailedOpening(int position, const signlink::OpenResult &result);
    void reportSilentSign();
    void openLedFile(const QString &directory);
    config::LedReadResult readLedActions(const QString &fileName);
    config::LedFileRecord currentRecord() const;
    void loadPreferences();
    void onVerifyEnded(const session::VerifyOutcome &outcome);
    void onComparisonRead(const session::ReadBack &readBack);
    void showDifferences(const QString &title, const QString &summary,
                         const QList<config::ConfigDifference> &differences, bool offerUploadAgain);

    QString m_modelNumber;
    QString m_buildNumber;
    qint16 m_saveSettingsTick = 1;

    QString m_refusalStatus;          // the status line that names the items the sign refused
    QString m_backupStatus;           // why no backup was made before the last upload; empty when one was
    bool m_closeAfterUpload = false;  // the close question was answered "Upload"
    bool m_defaultMsgUnsent = false;
    bool m_focusGiven = false;

    // What "Compare with Sign" compares the sign with, taken when it was chosen, and its name.
    config::ComparedConfig m_compareHere;
    QString m_compareSubject;

    QWidget *m_content = nullptr;  // every control, inside the window's scroll area
    QWidget *m_priorityPanel = nullptr;
    SaveFileFactory m_saveFiles;
    ReadFileFactory m_readFiles;
};

} // namespace ui
