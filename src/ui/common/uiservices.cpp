#include "ui/common/uiservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace ui {

QString applicationTitle()
{
    return QStringLiteral("Sign Configuration Manager");
}

void DesktopUiServices::message(QWidget *parent, const QString &title, const QString &text, Icon icon)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(text);
    switch (icon) {
    case Icon::Information: box.setIcon(QMessageBox::Information); break;
    case Icon::Warning: box.setIcon(QMessageBox::Warning); break;
    case Icon::Critical: box.setIcon(QMessageBox::Critical); break;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

int DesktopUiServices::question(QWidget *parent, const QString &title, const QString &text,
                                const QList<Answer> &answers)
{
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Question);
    box.setWindowTitle(title.isEmpty() ? applicationTitle() : title);
    box.setText(text);
    QList<QAbstractButton *> buttons;
    int rejectAt = -1;
    for (const Answer &answer : answers) {
        QMessageBox::ButtonRole role = QMessageBox::AcceptRole;
        if (answer.role == Answer::Role::Destructive)
            role = QMessageBox::DestructiveRole;
        else if (answer.role == Answer::Role::Reject)
            role = QMessageBox::RejectRole;
        if (role == QMessageBox::RejectRole && rejectAt < 0)
            rejectAt = int(buttons.size());
        buttons.append(box.addButton(answer.caption, role));
    }
    if (!buttons.isEmpty())
        box.setDefaultButton(qobject_cast<QPushButton *>(buttons.front()));
    if (rejectAt >= 0)
        box.setEscapeButton(buttons[rejectAt]);
    box.exec();
    const int chosen = int(buttons.indexOf(box.clickedButton()));
    return chosen >= 0 ? chosen : rejectAt;
}

QString DesktopUiServices::openFileName(QWidget *parent, const QString &filter, const QString &directory)
{
    return QFileDialog::getOpenFileName(parent, QString(), directory, filter);
}

QString DesktopUiServices::saveFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, QString(), QString(), filter);
}

bool DesktopUiServices::openUrl(const QUrl &url)
{
    return QDesktopServices::openUrl(url);
}

bool DesktopUiServices::startDetached(const QString &program, const QStringList &arguments,
                                      const QString &workingDirectory)
{
    return QProcess::startDetached(program, arguments, workingDirectory);
}

} // namespace ui

int ui::DesktopUiServices::execDialog(QDialog &dialog)
{
    return dialog.exec();
}
