#pragma once

#include "config/backups.h"
#include "config/dumplists.h"
#include "config/signconfig.h"
#include "link/signlink.h"
#include "protocol/configdump.h"
#include "protocol/replyinterpreter.h"
#include "session/readback.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <optional>
#include <vector>

namespace session {

// An upload item (config::IdModeItem and the others) as the operator is told of it: "Priority 2",
// "the ID mode", "the user command", "ID 6".
QString uploadItemName(int item);

// A configuration dump as reading it left things.
struct ReadConfiguration {
    protocol::ConfigDump dump;       // values no list of the model holds taken out
    config::ShownConfiguration shown;
    QStringList unreadable;          // what was taken out, "Priority 0 Font 64"
    // What the dump stopped short of: shown as it was before, and not read from the sign.
    QList<protocol::MissingPart> missing;
};

// How a configuration request ended.
struct ReadOutcome {
    int comNumber = 0;
    QString port;           // how sentences name it (the port's name); "COM n" when empty
    int lines = 0;          // reply lines received meanwhile
    bool dumpRead = false;  // one of them was the configuration
    bool cut = false;       // a line was thrown away unfinished: an answer cut short
    // Empty when the configuration came; otherwise what the operator is told.
    QString failureText() const;
    QString portName() const;
};

// How an upload ended.
struct UploadOutcome {
    bool completed = false;    // every flagged item went out
    QList<int> refused;        // items the sign answered "error" to; flagged again
    QString stopText;          // why it stopped early, when it did
    bool stopIsWarning = false;  // the operator must see it before going on (a message, not a status)
    bool verifying = false;      // the configuration is being read back to check it (verifyEnded follows)
    QString backupNote;          // why no backup was made before it; empty when one was
    QString refusalText() const;  // "The sign refused 2 items: ..."; empty when none
};

// The progress of an upload: 20 units per item, as the "done" answers count them.
struct UploadProgress {
    int value = 0;
    int maximum = 1;
    bool visible = false;
};

// One conversation with the sign about its configuration, as the main window and the command
// line hold it: reading the configuration, the upload of the flagged items one per tick of
// UploadTimer, Force Upload, the ID-mode and forced-ID switches and factory defaults with their
// read-back. It decides what goes on the wire and when, and what each answer means; whoever
// shows it (a window, the command line) provides the values and shows what it reports.
//
// Values come from `values` whenever the sequence needs them: when an upload starts (its
// commands and the comparison with the baseline) and when a link's turn comes. The baseline,
// the flags and the upload commands live in `config`, which the face owns.
class ConfigSession final : public QObject {
    Q_OBJECT
public:
    using ValuesSource = std::function<config::ConfigValues()>;
    ConfigSession(signlink::SignLink &link, config::SignConfig &config, ValuesSource values,
                  QObject *parent = nullptr);
    ~ConfigSession() override;

    enum class Activity { Idle, Reading, Uploading, FactoryDefaults, Switching, Verifying, Comparing };
    Activity activity() const;
    bool busy() const { return activity() != Activity::Idle; }

    // Timers, by the names the main window gives them.
    QTimer ComClose;     // 400 ms: ends a configuration request
    QTimer UploadTimer;  // 500 ms: one upload item per tick
    QTimer FactoryDef;   // 500 ms: from factory defaults to reading them back
    QTimer SleepTimer;   // 10 ms: the ticks of the pauses between two commands
    QTimer ReadBackTimer;  // 3000 ms: the longest wait for a configuration asked for to be checked or compared

    // ---- Reading the configuration ----
    // Opens COM `comNumber` and writes "DOWNLOAD_ALL"; ComClose ends it. On failure nothing is
    // written and readNotStarted() is emitted as well.
    signlink::OpenResult startRead(int comNumber);
    // The command line does not wait for the closing tick once the configuration has come.
    void setEndReadAtDump(bool end) { m_endReadAtDump = end; }
    void closeTick();
    // Another connection takes the port (the default-message window): the request is over.
    void abandonRead();

    // ---- Upload ----
    // Why the values cannot be uploaded as they stand (a timeout that is no whole number, a
    // character or a length the sign cannot take); empty when they can. The first refusal of
    // timeoutRefusal(), userCommandRefusal() and capcodeRefusal() in upload order.
    static std::optional<QString> uploadRefusal(const config::ConfigValues &values);
    // One value each, for a face that checks its values before anything is opened.
    static std::optional<QString> timeoutRefusal(int priority, const QString &timeout);
    static std::optional<QString> userCommandRefusal(const QString &text);
    static std::optional<QString> capcodeRefusal(int id, const QString &capcode);
    struct UploadStart {
        bool started = false;
        bool nothingToUpload = false;  // the comparison found nothing (flags from before may still go)
        std::optional<QString> refusal;          // the values cannot go (nothing changed)
        signlink::OpenResult opening;            // the port would not open (the flags stay set)
        std::optional<QString> backupNote;       // started, but no backup was made: why
    };
    // Builds the commands from the values, flags what differs from the baseline (everything
    // with `force`), opens the port and starts UploadTimer.
    UploadStart startUpload(int comNumber, bool force);
    void uploadTick();
    UploadProgress progress() const { return m_progress; }

    // ---- Checking what the sign holds ----
    // The one meaning of "verified", for every face. With this on, an upload that sent at least
    // one item and ended complete keeps the port and asks for the configuration, as a read does
    // (uploadEnded comes first, with `verifying` set), and compares it with what it meant the
    // sign to hold: verifyEnded follows once the configuration came, or ReadBackTimer (3 s) ran
    // out, or the line failed. An answer cut short or never finished, no answer, a lost line and
    // a dump that lacks parts are NotVerified, with the reason; what the sign was seen not to
    // hold is flagged for the next upload. Off by default.
    void setVerifyAfterUpload(bool on) { m_verifyAfterUpload = on; }
    bool verifyAfterUpload() const { return m_verifyAfterUpload; }
    // The same check on its own, for an upload that found nothing to send (uploadEnded without
    // `verifying`): opens COM `comNumber`, asks for the configuration and compares it with the
    // values the session is given now; verifyEnded follows as above. On failure nothing is
    // written and no verifyEnded comes.
    signlink::OpenResult startVerify(int comNumber);
    // Flags the items of `differences` for the next upload ("Upload Again").
    void flagForUpload(const QList<config::ConfigDifference> &differences);
    // Opens COM `comNumber` and asks for the configuration, to be compared by the face
    // (comparisonRead, within the same 3 s): nothing of the configuration record changes and
    // nothing is flagged. On failure nothing is written and no comparisonRead comes.
    signlink::OpenResult startComparison(int comNumber);
    // A tick of ReadBackTimer: what has not come by now is late.
    void readBackTick();
    // What the last check or comparison brought back, as the sign sent it.
    const ReadBack &lastReadBack() const { return m_readBack; }

    // ---- Backups ----
    // Before the first item of an upload goes out, what the sign is known to hold is written to
    // this folder as a .led file; a failure is said with status() and the upload goes on, and it
    // is told again in the start and the outcome of the upload.
    config::BackupFolder &backups() { return m_backups; }
    // What the sign is known to hold: what was read from it last, with what was uploaded since.
    // Empty before anything was read.
    const std::optional<KnownConfiguration> &knownConfiguration() const { return m_known; }

    // ---- One setting at once ----
    // Open, write the command, pause 20 ticks, close (unless another sequence holds the port).
    // `opened` runs once the port is open, before the command goes (the window sets its box).
    signlink::OpenResult switchIdMode(int comNumber, bool autoId, const std::function<void()> &opened = {});
    signlink::OpenResult switchForcedId(int comNumber, bool on, const std::function<void()> &opened = {});
    // "<FD>", then 500 ms later the configuration is read back. When the port opened but would
    // not take the command, `opening` is fine and the result says so in `refusedText`.
    struct FactoryStart {
        signlink::OpenResult opening;
        QString refusedText;
        bool started() const { return opening.ok() && refusedText.isEmpty(); }
    };
    FactoryStart startFactoryDefaults(int comNumber);
    void factoryDefaultsTick();
    // A tick of SleepTimer: ends the pauses that are due and carries on after them.
    void sleepTick();

    // One reply line of the sign, as the connection delivers it (without its line feed).
    void handleLine(const QByteArray &line);

signals:
    void activityChanged();
    // What an answer says: a status text, or the status line shown again as it is.
    void status(const QString &text);
    void keptStatus();
    void configurationRead(const session::ReadConfiguration &read);
    void readEnded(const session::ReadOutcome &outcome);
    void readNotStarted(int comNumber, const signlink::OpenResult &result);
    // An upload tick emptied a link row (capcode 0 or none) or gave it priority 0.
    void linkAdjusted(int id, const QString &capcode, int priority);
    void progressChanged(const session::UploadProgress &progress);
    void uploadEnded(const session::UploadOutcome &outcome);
    void connectionLost(const QString &description, bool duringUpload);
    // The check after an upload ended (after uploadEnded with `verifying`).
    void verifyEnded(const session::VerifyOutcome &outcome);
    // The configuration asked for by startComparison() came, or did not.
    void comparisonRead(const session::ReadBack &readBack);

private:
    // Runs `then` once SleepTimer has ticked `ticks` times, from the event loop. A pause begun
    // while another waits starts the count again for both, and the later one ends first.
    void after(qint16 ticks, std::function<void()> then);
    void onConnectionLost(const QString &description);
    void setProgress(int value, int maximum, bool visible);
    bool sendItem(const QString &command);
    void endUpload(UploadOutcome outcome);
    void endRead();
    void changeActivity();
    signlink::OpenResult switchSetting(int comNumber, const QString &command, const std::function<void()> &opened);
    enum class ReadBackPurpose { None, Verify, Compare };
    signlink::OpenResult startReadBack(ReadBackPurpose purpose, int comNumber);
    bool beginReadBack(ReadBackPurpose purpose, int comNumber);
    static QString requestUnwrittenText();
    void finishReadBack();
    void takeIntoKnown(const protocol::ConfigDump &dump, int comNumber);
    std::optional<QString> backUp(int comNumber);

    signlink::SignLink &m_link;
    config::SignConfig &m_config;
    ValuesSource m_values;

    struct Pause {
        qint16 ticks;
        bool due;
        std::function<void()> then;
    };
    std::vector<Pause> m_pauses;  // the pause begun last at the back
    qint16 m_sleepTicks = 0;
    int m_switching = 0;
    bool m_endReadAtDump = false;
    int m_factoryPort = 0;
    ReadOutcome m_read;
    QElapsedTimer m_readClock;

    UploadProgress m_progress;
    std::optional<int> m_lastSentItem;
    bool m_linkInGap = false;  // a link waits out the gap after its removal
    QList<int> m_refused;

    bool m_verifyAfterUpload = false;
    bool m_verifyThisUpload = false;
    config::ConfigValues m_meant;  // what the upload meant the sign to hold, links as they were sent
    QList<int> m_sent;             // the items this upload sent
    ReadBackPurpose m_readBackPurpose = ReadBackPurpose::None;
    ReadBack m_readBack;

    config::BackupFolder m_backups;
    QString m_backupNote;  // of the upload under way
    std::optional<KnownConfiguration> m_known;
};

} // namespace session
