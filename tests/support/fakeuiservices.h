#pragma once

#include "ui/common/uiservices.h"

#include <QCoreApplication>
#include <QDialog>
#include <QList>
#include <QUrl>

#include <deque>
#include <functional>

namespace testsupport {

// Answers the windows' dialogs for a test and keeps what they showed.
class FakeUiServices final : public ui::UiServices {
public:
    struct Message {
        QString title;
        QString text;
        Icon icon = Icon::Information;
    };
    struct Question {
        QString title;
        QString text;
        QStringList captions;
    };
    QList<Message> messages;
    QList<Question> questions;
    // Answers of the questions, as positions in their answer lists; with none left a question
    // is answered as Esc would (the first Reject answer), so a question nobody expected keeps
    // the window where it was and the test sees it.
    std::deque<int> nextAnswers;
    QList<QUrl> openedUrls;
    QStringList startedPrograms;

    std::deque<QString> nextFileNames;  // answers of the file dialogs; empty text = cancelled
    QStringList openDialogFolders;      // the folder each open dialog started in
    // Plays the operator in a modal window (clicks its buttons); the window is shown meanwhile.
    std::function<void(QDialog &)> onDialog;
    QStringList dialogsShown;  // object names of the windows shown
    bool urlsOpen = true;
    bool programsStart = true;

    void message(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        messages.append({title, text, icon});
    }
    int question(QWidget *, const QString &title, const QString &text, const QList<Answer> &answers) override
    {
        Question asked{title, text, {}};
        int escape = -1;
        for (int i = 0; i < int(answers.size()); ++i) {
            asked.captions.append(answers[i].caption);
            if (escape < 0 && answers[i].role == Answer::Role::Reject)
                escape = i;
        }
        questions.append(asked);
        if (nextAnswers.empty())
            return escape;
        const int answer = nextAnswers.front();
        nextAnswers.pop_front();
        return answer;
    }
    QString openFileName(QWidget *, const QString &, const QString &directory) override
    {
        openDialogFolders.append(directory);
        return takeFileName();
    }
    QString saveFileName(QWidget *, const QString &) override { return takeFileName(); }
    bool openUrl(const QUrl &url) override
    {
        openedUrls.append(url);
        return urlsOpen;
    }
    bool startDetached(const QString &program, const QStringList &, const QString &) override
    {
        startedPrograms.append(program);
        return programsStart;
    }

    int execDialog(QDialog &dialog) override
    {
        dialogsShown.append(dialog.objectName());
        dialog.setModal(true);
        dialog.show();
        // What a window does once it is up (queued work of its own) runs first, as under exec().
        QCoreApplication::processEvents();
        if (onDialog)
            onDialog(dialog);
        const int result = dialog.result();
        dialog.hide();
        return result;
    }

private:
    QString takeFileName()
    {
        if (nextFileNames.empty())
            return {};
        QString name = nextFileNames.front();
        nextFileNames.pop_front();
        return name;
    }
};

} // namespace testsupport
