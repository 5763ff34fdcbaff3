#include "ui/main/warning.h"

#include "ui/main/kestrovanmain.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace ui {

Warning::Warning(KestrovanMain &main) : QDialog(&main), m_main(main)
{
    setObjectName(QStringLiteral("Warning"));
    setWindowTitle(QStringLiteral("Setup Factory Defaults"));
    setModal(true);

    auto *icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    Label1 = new QLabel(QStringLiteral("Loading Factory Defaults will delete all the settings currently stored. "
                                       "Do you wish to continue ?"),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);
    Yes = new QPushButton(QStringLiteral("Yes"), this);
    Yes->setObjectName(QStringLiteral("Yes"));
    No = new QPushButton(QStringLiteral("No"), this);
    No->setObjectName(QStringLiteral("No"));
    // Losing every setting takes a deliberate click: Enter answers No.
    No->setDefault(true);
    No->setFocus();

    auto *text = new QHBoxLayout;
    text->addWidget(icon, 0, Qt::AlignTop);
    text->addWidget(Label1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Yes);
    buttons->addWidget(No);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(text);
    layout->addLayout(buttons);
    setMinimumWidth(380);

    connect(Yes, &QPushButton::clicked, this, &Warning::Yes_Click);
    connect(No, &QPushButton::clicked, this, &Warning::No_Click);
}

void Warning::Yes_Click()
{
    hide();
    m_main.FactoryDefaultsConfirmed();
    accept();
}

void Warning::No_Click()
{
    reject();
}

} // namespace ui
