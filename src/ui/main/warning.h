#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ui {

class KestrovanMain;

// The confirmation before factory defaults are loaded into the sign.
class Warning : public QDialog {
    Q_OBJECT
public:
    explicit Warning(KestrovanMain &main);

    QLabel *Label1 = nullptr;
    QPushButton *Yes = nullptr;
    QPushButton *No = nullptr;

public slots:
    void Yes_Click();
    void No_Click();

private:
    KestrovanMain &m_main;
};

} // namespace ui
