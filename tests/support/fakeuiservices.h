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
    QList<Message> messages;
    QList<QUrl> openedUrls;
    QStringList startedPrograms;

    std::deque<QString> nextFileNames;  // answers of the file dialogs; empty text = cancelled
    // Answers of the unsent-changes question, in order; Discard when none is left.
    std::deque<UnsentChoice> unsentAnswers;
    QStringList unsentQuestions;  // the texts asked
    // Plays the operator in a modal window (clicks its buttons); the window is shown meanwhile.
    std::function<void(QDialog &)> onDialog;
    QStringList dialogsShown;  // object names of the windows shown
    bool urlsOpen = true;
    bool programsStart = true;

    void message(QWidget *, const QString &title, const QString &text, Icon icon) override
    {
        messages.append({title, text, icon});
    }
    UnsentChoice askUnsentChanges(QWidget *, const QString &text) override
    {
        unsentQuestions.append(text);
        if (unsentAnswers.empty())
            return UnsentChoice::Discard;
        const UnsentChoice answer = unsentAnswers.front();
        unsentAnswers.pop_front();
        return answer;
    }
    QString openFileName(QWidget *, const QString &) override { return takeFileName(); }
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
