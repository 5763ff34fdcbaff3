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

UiServices::UnsentChoice DesktopUiServices::askUnsentChanges(QWidget *parent, const QString &text)
{
    QMessageBox box(parent);
    box.setWindowTitle(applicationTitle());
    box.setIcon(QMessageBox::Question);
    box.setText(text);
    QPushButton *upload = box.addButton(QObject::tr("&Upload"), QMessageBox::AcceptRole);
    QPushButton *discard = box.addButton(QMessageBox::Discard);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(upload);
    box.exec();
    if (box.clickedButton() == upload)
        return UnsentChoice::Upload;
    if (box.clickedButton() == discard)
        return UnsentChoice::Discard;
    return UnsentChoice::Cancel;
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
