#include "link/mappedsignport.h"
#include "link/traffic.h"
#include "ui/common/logo.h"
#include "ui/common/uiservices.h"
#include "ui/main/kestrovanmain.h"

#include <QApplication>
#include <QIcon>

#include <memory>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("signconfig"));
    QApplication::setApplicationVersion(QStringLiteral("4.8b"));
    // Ties the windows to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("signconfig"));
    QApplication::setWindowIcon(QIcon(ui::drawLogo(128, 64)));

    ui::DesktopUiServices desktop;
    // Every window that talks to the sign gets a connection of its own from here, and every
    // connection reports what goes over it to the one traffic log.
    signlink::TrafficLog traffic;
    const ui::PortFactory ports = [&traffic] {
        auto port = std::make_unique<signlink::MappedSignPort>();
        port->setTrafficLog(&traffic);
        return port;
    };
    ui::KestrovanMain window(ports, desktop);
    window.show();
    return QApplication::exec();
}
