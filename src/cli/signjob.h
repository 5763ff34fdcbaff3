#pragma once

#include "cli/cliargs.h"
#include "cli/jsoninput.h"
#include "cli/ledinput.h"
#include "cli/report.h"
#include "config/configdiff.h"
#include "config/signconfig.h"
#include "link/signlink.h"
#include "protocol/defaultmessage.h"
#include "session/configsession.h"
#include "session/messagesession.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

namespace cli {

// What the jobs of all signs share: the options, and the files read before any sign is touched.
struct Task {
    Options options;
    std::optional<LedInput> file;  // write, and diff against a sign
    std::optional<JsonInput> json; // write --json-input
    // What write and diff compare the sign with, in a message: "in FILE", "in the input".
    QString sourceText() const;
    QString sourceKind() const;  // "file", "input"
};

// How one sign's job ended: one result line (or JSON object) of the output.
struct SignResult {
    QString port;                 // PortSpec::label()
    ExitCode code = ExitCode::Done;
    QString message;              // the result line after "PORT: "
    QStringList details;          // lines under it (configuration, differences)
    QJsonObject json;             // fields of the JSON object besides the common ones
};

// One sign's connection and the work the command asks of it: a SignLink on the port map entry
// (or device) the sign was named by, and the configuration session that decides what goes on
// the wire, exactly as the main window's does. It lives in a thread of its own, so that a slow
// or silent sign holds up no other.
class SignJob final : public QObject {
    Q_OBJECT
public:
    SignJob(std::shared_ptr<const Task> task, PortSpec port);
    ~SignJob() override;

    const SignResult &result() const { return m_result; }

public slots:
    // Starts the work in the thread the job lives in; finished() follows once.
    void start();

signals:
    void progress(const QString &text);
    void finished();

private:
    using AfterRead = std::function<void(const session::ReadConfiguration &)>;
    void readSign(AfterRead then);
    void onReadEnded(const session::ReadOutcome &outcome);
    void onUploadEnded(const session::UploadOutcome &outcome);

    // A read that stopped short of the whole configuration ends the job (exit 4, the missing
    // parts named, `before` and `after` around the sentence); false when it is whole.
    bool refuseIncomplete(const session::ReadConfiguration &read, const QString &before,
                          const QString &after = QString());
    void afterRead(const session::ReadConfiguration &read);
    void write(const session::ReadConfiguration &read);
    void verify(const session::ReadConfiguration &read);
    void diff(const session::ReadConfiguration &read);
    void saveFile(const session::ReadConfiguration &read);

    // set-clock, default-message and send: the secondary windows' conversations.
    template <typename Session>
    Session &startMessages();
    void runMessages(const session::MessageStart &started);
    void onMessagesEnded(const session::MessageOutcome &outcome);
    void setDefaultMessage(const protocol::DefaultMessageDump &dump);
    void sendTestMessage(const session::ReadConfiguration &read);
    // --font or --color: the position of `given` in `list`; false (and finished) when it is none.
    bool choose(const QStringList &list, const QString &given, const QString &what, const QString &model, int &position);

    // The file's (or the input's) values over the sign's as read: what write sends and diff
    // compares. Nothing (and finished) when the input names an entry the sign's lists lack.
    std::optional<config::LedFileRecord> meantRecord(const session::ReadConfiguration &read);
    // write --check: what would be sent, and what the sign would hold then.
    void reportCheck(const QList<int> &toSend);
    // write --backup: the configuration just read saved as a .led file; false (and finished)
    // when it could not be.
    bool saveBackup(const session::ReadConfiguration &read);
    QList<config::ConfigDifference> differencesWith(const session::ReadConfiguration &read) const;
    QString sentText() const;
    void finish(ExitCode code, const QString &message);
    // Messages of the port layer name a COM number; a sign given by its device says that.
    QString tidy(QString text) const;
    int comPosition() const;

    std::shared_ptr<const Task> m_task;
    PortSpec m_port;
    SignResult m_result;
    bool m_finished = false;

    std::unique_ptr<signlink::SignLink> m_link;
    config::SignConfig m_config;
    config::ConfigValues m_values;
    config::LedFileRecord m_meant;
    ConfigurationView m_before;  // write: the configuration as read
    std::unique_ptr<session::ConfigSession> m_session;
    std::unique_ptr<session::MessageSession> m_messages;
    bool m_readingMessage = false;   // default-message: the dump is awaited

    AfterRead m_afterRead;
    std::optional<session::ReadConfiguration> m_read;
    QList<int> m_toSend;
    QList<int> m_sent;
    QList<int> m_refused;
};

} // namespace cli
