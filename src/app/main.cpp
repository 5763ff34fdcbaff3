#include "link/serialsignport.h"
#include "ui/common/uiservices.h"
#include "ui/main/kestrovanmain.h"

#include <QApplication>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("signconfig"));
    QApplication::setApplicationDisplayName(QStringLiteral("Sign Configuration Manager"));
    QApplication::setApplicationVersion(QStringLiteral("4.8b"));

    ui::DesktopUiServices desktop;
    // Every window that talks to the sign gets a connection of its own from here.
    const ui::PortFactory ports = [] { return std::make_unique<signlink::SerialSignPort>(); };
    ui::KestrovanMain window(ports, desktop);
    window.show();
    return QApplication::exec();
}
