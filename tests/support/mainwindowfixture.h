#pragma once

#include "fakesignport.h"
#include "qtprinters.h"
#include "fakeuiservices.h"
#include "link/traffic.h"
#include "ui/main/kestrovanmain.h"

#include <QList>

#include <memory>

namespace testsupport {

// A main window on fake ports and fake dialogs. Every port the windows ask for is a FakeSignPort,
// kept in `ports` in the order they were made (the main window's own is the first).
class MainWindowHarness {
public:
    MainWindowHarness()
    {
        window = std::make_unique<ui::KestrovanMain>(
            [this] {
                auto port = std::make_unique<FakeSignPort>();
                port->setTrafficLog(&traffic);
                ports.append(port.get());
                return port;
            },
            services);
    }

    FakeSignPort &mainPort() { return *ports.front(); }
    // The texts written to the main port, each without its closing CR (which is checked).
    QStringList commandsSent();

    FakeUiServices services;
    signlink::TrafficLog traffic;  // every port reports here, as in the program
    QList<FakeSignPort *> ports;
    std::unique_ptr<ui::KestrovanMain> window;
};

} // namespace testsupport
