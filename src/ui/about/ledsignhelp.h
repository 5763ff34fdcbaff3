#pragma once

#include <QDialog>

class QLabel;
class QTextEdit;
class QToolButton;

namespace ui {

// The About window: what the tool is, its version (read from the main window's title) and how to
// reach its maker.
class LEDSignHelp : public QDialog {
    Q_OBJECT
public:
    explicit LEDSignHelp(const QString &mainWindowTitle, QWidget *parent = nullptr);

    // "Version : " and the text after "ver " in the title, up to a following ":"; "Version" when
    // the title names no version.
    static QString versionCaption(const QString &mainWindowTitle);

    QToolButton *Image1 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *SoftwareVersion = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label5 = nullptr, *Label4 = nullptr;
    QLabel *Label2 = nullptr, *Label1 = nullptr;
    QTextEdit *rtfbuffer = nullptr;
};

} // namespace ui
