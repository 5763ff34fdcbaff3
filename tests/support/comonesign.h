#pragma once

#include "signsimulator.h"

#include "link/mappedsignport.h"
#include "link/traffic.h"
#include "ui/main/kestrovanmain.h"

#include <QFile>
#include <QTemporaryDir>

#include <memory>

namespace testsupport {

// The simulated sign wired to COM 1 through the port map folder of a private XDG_CONFIG_HOME,
// which stays set while this object lives. Windows made afterwards open it with real ports
// (through the network when the arguments hold --tcp: the entry is then an address file).
class ComOneSign {
public:
    ComOneSign() : m_oldXdg(qgetenv("XDG_CONFIG_HOME")) {}
    ~ComOneSign() { qputenv("XDG_CONFIG_HOME", m_oldXdg); }
    ComOneSign(const ComOneSign &) = delete;
    ComOneSign &operator=(const ComOneSign &) = delete;

    // Starts the simulator with `arguments` (plus its link as COM 1).
    bool start(const QStringList &arguments, QString *error)
    {
        if (!xdg.isValid()) {
            *error = QStringLiteral("no temporary folder");
            return false;
        }
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(xdg.path()));
        return sim.start(arguments + QStringList{QStringLiteral("--link"),
                                                 xdg.path() + QStringLiteral("/signconfig/ports/COM1")},
                         error);
    }

    // A main window whose windows all talk through real ports: the device or the network server
    // that the port map names for the COM number chosen. With `traffic`, every port reports to
    // it, as the program's own ports do; it must outlive the window.
    static std::unique_ptr<ui::KestrovanMain> mainWindow(ui::UiServices &services,
                                                         signlink::TrafficLog *traffic = nullptr)
    {
        return std::make_unique<ui::KestrovanMain>(
            [traffic] {
                auto port = std::make_unique<signlink::MappedSignPort>();
                port->setTrafficLog(traffic);
                return port;
            },
            services);
    }

    QTemporaryDir xdg;
    SignSimulator sim;

private:
    QByteArray m_oldXdg;
};

} // namespace testsupport
