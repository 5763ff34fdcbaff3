#pragma once

#include "cli/cliargs.h"
#include "cli/jsoninput.h"
#include "cli/ledinput.h"
#include "cli/report.h"
#include "config/signconfig.h"
#include "link/signlink.h"
#include "session/configsession.h"
#include "session/messagesession.h"

#include <QJsonObject>
#include <QObject>
#include <QStringList>

#include <memory>
#include <optional>

namespace cli {

// What the commands of all signs share: the options, and the files read before any sign is touched.
struct Task {
    Options options;
    std::optional<LedInput> file;  // write, and diff against a sign
    std::optional<JsonInput> json; // write --json-input
    // What write and diff compare the sign with, in a message: "in FILE", "in the input".
    QString sourceText() const;
    QString sourceKind() const;  // "file", "input"
};

// How one sign's command ended: one result line (or JSON object) of the output.
struct SignResult {
    QString port;                 // PortSpec::label()
    ExitCode code = ExitCode::Done;
    QString message;              // the result line after "PORT: "
    QStringList details;          // lines under it (configuration, differences)
    QJsonObject json;             // fields of the JSON object besides the common ones
};

// One command on one sign: a SignLink on the port map entry (or device) the sign was named by,
// and the sessions that decide what goes on the wire, exactly as the windows' do. It lives in a
// thread of its own, so that a slow or silent sign holds up no other; start() begins it there
// and finished() comes once, when result() is final.
//
// By default a command reads the sign's configuration first and goes on in afterRead(); the
// message commands begin their own conversation instead.
class SignCommand : public QObject {
    Q_OBJECT
public:
    SignCommand(std::shared_ptr<const Task> task, PortSpec port);
    ~SignCommand() override;

    const SignResult &result() const { return m_result; }

public slots:
    void start();

signals:
    void progress(const QString &text);
    void finished();

protected:
    // The command's first step, once the link is made: reading the configuration unless overridden.
    virtual void begin();
    // The configuration read from the sign (or read back after factory defaults).
    virtual void afterRead(const session::ReadConfiguration &read);
    // A message conversation ended as it should (the port is closed): the command's next step.
    virtual void conversationEnded(const session::MessageOutcome &outcome);

    const Task &task() const { return *m_task; }
    const Options &options() const { return m_task->options; }
    const PortSpec &port() const { return m_port; }
    SignResult &report() { return m_result; }  // filled in as the command goes
    bool isFinished() const { return m_finished; }

    // The configuration conversation, made on first use. Its values are `m_values`; a link the
    // upload empties is taken into them.
    session::ConfigSession &configSession();
    // Asks for the configuration; afterRead() follows, or the command ends with why not.
    void readConfiguration();

    // A message conversation on the link (a former one goes); its end comes to conversationEnded().
    template <typename Session>
    Session &startConversation()
    {
        auto made = std::make_unique<Session>(link());
        Session &conversation = *made;
        adopt(std::move(made));
        return conversation;
    }
    // Ends the command when the conversation could not begin; true when it began.
    bool began(const session::MessageStart &started);
    // The answer to a command that changes something: done, refused, or none.
    void finishAnswered(const session::MessageOutcome &outcome, const QString &doneText);

    // A read that stopped short of the whole configuration ends the command (exit 4, the missing
    // parts named, `before` and `after` around the sentence); false when it is whole.
    bool refuseIncomplete(const QList<protocol::MissingPart> &missing, const QString &before,
                          const QString &after = QString());
    // The port would not open: nothing was sent.
    void refuseOpening(const signlink::OpenResult &opening);
    // Ends the command before anything went to the sign: `why`, and " Nothing was sent.".
    void refuse(ExitCode code, const QString &why);
    static QString nothingSentText();
    // --font or --color: the position of `given` in `list`; false (and finished) when it is none.
    bool choose(const QStringList &list, const QString &given, const QString &what, const QString &model, int &position);
    // The position of the sign in a .led file: a sign given by its device has none, and its file
    // says COM 1, as a fresh window does.
    qint16 comPosition() const;
    void finish(ExitCode code, const QString &message);

    config::SignConfig m_config;
    config::ConfigValues m_values;

private:
    signlink::SignLink &link() { return *m_link; }
    void adopt(std::unique_ptr<session::MessageSession> conversation);
    void onReadEnded(const session::ReadOutcome &outcome);
    void onConversationEnded(const session::MessageOutcome &outcome);

    std::shared_ptr<const Task> m_task;
    PortSpec m_port;
    SignResult m_result;
    bool m_finished = false;

    std::unique_ptr<signlink::SignLink> m_link;
    std::unique_ptr<session::ConfigSession> m_session;
    std::unique_ptr<session::MessageSession> m_messages;
    std::optional<session::ReadConfiguration> m_read;
};

// "the sign cannot show the character "X"; nothing was sent": a text the sign cannot take.
QString cannotShowText(const QString &character);

// The command `task` names, for the sign on `port`.
std::unique_ptr<SignCommand> makeCommand(std::shared_ptr<const Task> task, PortSpec port);

} // namespace cli
