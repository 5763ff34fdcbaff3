#include "ui/common/uiservices.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QProcess>

namespace ui {

void DesktopUiServices::message(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox box(parent);
    box.setWindowTitle(title.isEmpty() ? QApplication::applicationDisplayName() : title);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

QString DesktopUiServices::openFileName(QWidget *parent, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
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
