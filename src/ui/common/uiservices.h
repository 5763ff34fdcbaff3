#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

class QDialog;
class QWidget;

namespace ui {

// The tool's name as a person reads it, for message boxes without a title of their own. Not set
// as the application's display name: the desktop would append it to every window's title.
QString applicationTitle();

// Everything the windows ask of the desktop: message boxes, file dialogs, the web browser and
// starting another program. Windows get it through their constructor, so a test can answer the
// dialogs and see the messages instead of a person.
class UiServices {
public:
    // One button of a question: its caption and what it means, which decides where the box
    // puts it and which button Esc or closing the box stands for.
    struct Answer {
        enum class Role { Accept, Destructive, Reject };
        QString caption;
        Role role = Role::Accept;
    };

    virtual ~UiServices() = default;

    // The icon of a message box, as the desktop draws it.
    enum class Icon { Information, Warning, Critical };

    // A message box with an OK button only. An empty title leaves the application's name.
    virtual void message(QWidget *parent, const QString &title, const QString &text,
                         Icon icon = Icon::Information) = 0;

    // A question with the question icon and `answers` as its buttons, the first of them the
    // default. Returns the position in `answers` of the one chosen; Esc and closing the box
    // choose the first answer whose role is Reject (-1 when there is none).
    virtual int question(QWidget *parent, const QString &title, const QString &text,
                         const QList<Answer> &answers) = 0;

    // File dialogs; an empty text when the operator cancels. The open dialog starts in
    // `directory`, or where the desktop chooses when it is empty.
    virtual QString openFileName(QWidget *parent, const QString &filter, const QString &directory) = 0;
    virtual QString saveFileName(QWidget *parent, const QString &filter) = 0;

    // Opens a web page in the desktop's browser; false when none could be started.
    virtual bool openUrl(const QUrl &url) = 0;

    // Starts a program without waiting for it; false when it could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments,
                               const QString &workingDirectory) = 0;

    // Shows one of the tool's own windows modally and returns its result.
    virtual int execDialog(QDialog &dialog) = 0;
};

// The real desktop: QMessageBox, QFileDialog, QDesktopServices and QProcess.
class DesktopUiServices final : public UiServices {
public:
    void message(QWidget *parent, const QString &title, const QString &text, Icon icon) override;
    int question(QWidget *parent, const QString &title, const QString &text,
                 const QList<Answer> &answers) override;
    QString openFileName(QWidget *parent, const QString &filter, const QString &directory) override;
    QString saveFileName(QWidget *parent, const QString &filter) override;
    bool openUrl(const QUrl &url) override;
    bool startDetached(const QString &program, const QStringList &arguments,
                       const QString &workingDirectory) override;
    int execDialog(QDialog &dialog) override;
};

} // namespace ui
