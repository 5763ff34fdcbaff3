#include "ui/about/ledsignhelp.h"

#include "ui/common/accessibility.h"
#include "ui/common/logo.h"
#include "ui/common/maker.h"

#include <QGridLayout>
#include <QLabel>
#include <QRegularExpression>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

namespace ui {

QString LEDSignHelp::versionCaption(const QString &mainWindowTitle)
{
    if (!mainWindowTitle.contains(QStringLiteral("ver "), Qt::CaseInsensitive))
        return QStringLiteral("Version");
    QString marked = mainWindowTitle;
    marked.replace(QStringLiteral("ver "), QStringLiteral(":"), Qt::CaseInsensitive);
    return QStringLiteral("Version : ") + marked.split(u':').value(1);
}

LEDSignHelp::LEDSignHelp(const QString &mainWindowTitle, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("LEDSignHelp"));
    setWindowTitle(QStringLiteral("About"));

    const auto label = [this](const char *name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    Image1 = new QToolButton(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setAutoRaise(true);
    Image1->setIcon(QIcon(drawLogo(112, 56)));
    Image1->setIconSize(QSize(112, 56));
    Image1->setFocusPolicy(Qt::NoFocus);
    nameControl(Image1, QStringLiteral("Maker's logo"));

    Label6 = label("Label6", QStringLiteral("LED Sign Configuration Manager"));
    QFont heading = Label6->font();
    heading.setBold(true);
    heading.setPointSizeF(heading.pointSizeF() * 1.2);
    Label6->setFont(heading);
    SoftwareVersion = label("SoftwareVersion", QStringLiteral("Version"));
    Label3 = label("Label3", QString::fromLatin1(maker::Name));
    Label5 = label("Label5", QStringLiteral("Email"));
    Label4 = label("Label4", QString::fromLatin1(maker::Email));
    Label2 = label("Label2", QStringLiteral("Website"));
    Label1 = label("Label1", QString::fromLatin1(maker::HomePage));
    for (QLabel *value : {Label4, Label1})
        value->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    rtfbuffer = new QTextEdit(this);
    rtfbuffer->setObjectName(QStringLiteral("rtfbuffer"));
    rtfbuffer->setReadOnly(true);
    rtfbuffer->setFixedHeight(rtfbuffer->fontMetrics().height() * 2 + 12);
    nameControl(rtfbuffer, QStringLiteral("Sample text"));

    auto *contact = new QGridLayout;
    contact->addWidget(Label5, 0, 0);
    contact->addWidget(Label4, 0, 1);
    contact->addWidget(Label2, 1, 0);
    contact->addWidget(Label1, 1, 1);
    contact->setColumnStretch(1, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Image1, 0, Qt::AlignHCenter);
    layout->addWidget(Label6, 0, Qt::AlignHCenter);
    layout->addWidget(SoftwareVersion, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(Label3);
    layout->addLayout(contact);
    layout->addWidget(rtfbuffer);
    setMinimumWidth(340);

    rtfbuffer->setTextColor(QColor(255, 0, 0));
    rtfbuffer->insertPlainText(QStringLiteral("Test message"));
    SoftwareVersion->setText(versionCaption(mainWindowTitle));
}

} // namespace ui
