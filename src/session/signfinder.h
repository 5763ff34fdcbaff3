#pragma once

#include "link/portinventory.h"
#include "link/signlink.h"
#include "link/signport.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace session {

// What asking one COM number for the sign's configuration found.
struct ProbeResult {
    enum class Outcome {
        Found,        // a sign answered with its configuration
        NoAnswer,     // nothing came back in time
        OtherAnswer,  // something answered, but not with a sign's configuration
        Busy,         // another program holds the port; nothing was sent
        Failed,       // the port would not open or failed while open; nothing more was sent
        Absent,       // no device there; not opened
        NotProbed,    // a network address or an unusable entry; not opened
    };
    int comNumber = 0;
    Outcome outcome = Outcome::Absent;
    QString model;                 // Found
    std::optional<QString> build;  // Found, when the sign reports one
    QString reason;                // Busy, Failed, NotProbed, or sameAs: a sentence for the operator
    // The COM number whose probe this is, when both open the same device: it is asked only once.
    int sameAs = 0;

    // A few words for a table cell: "RW2290, build 41", "no answer", "busy".
    QString summary() const;
};

// "Find Sign": sends the configuration request to each present serial port in turn, one at a
// time, and waits at most AnswerTimeoutMs for the configuration before closing it again and
// going on. Absent devices are not opened, and a port another program holds is reported busy
// without anything being written to it. Two COM numbers that open the same device (a by-id link
// and the default table's name for it) share one probe. Network addresses are left out: their connection
// alone may take longer than a probe is given, and the operator typed them in anyway.
// Every step after start() runs from the event loop; nothing waits inside another.
class SignFinder final : public QObject {
    Q_OBJECT
public:
    using PortFactory = std::function<std::unique_ptr<signlink::SignPort>()>;
    explicit SignFinder(PortFactory ports, QObject *parent = nullptr);
    ~SignFinder() override;

    static constexpr int AnswerTimeoutMs = 1000;

    // Probes the COM numbers of `ports` in order; probed() reports each, finished() the end.
    // A search still running is dropped first.
    void start(const QList<signlink::ComPortInfo> &ports);
    // Stops at once; the port being probed is closed. finished() is not emitted.
    void cancel();
    bool isRunning() const { return m_running; }
    const QList<ProbeResult> &results() const { return m_results; }

signals:
    void probing(int comNumber);
    void probed(const session::ProbeResult &result);
    void finished();

private:
    void next();
    void probe(const signlink::ComPortInfo &port);
    void onLine(const QByteArray &line);
    void finish(ProbeResult result);

    PortFactory m_ports;
    QList<signlink::ComPortInfo> m_queue;
    QList<ProbeResult> m_results;
    QHash<QString, ProbeResult> m_byDevice;  // what each device asked answered
    QString m_device;                        // the device being probed
    std::unique_ptr<signlink::SignLink> m_link;  // the port being probed
    ProbeResult m_current;
    bool m_heard = false;  // anything at all came from the port being probed
    bool m_running = false;
    QTimer m_deadline;
    QTimer m_step;  // the next port is taken up from the event loop, never inside a port's signal
};

} // namespace session
