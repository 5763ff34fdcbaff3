#pragma once

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QString>

namespace signlink {

struct HostLookup {
    enum class Outcome { Found, NotFound, TimedOut, Failed };
    Outcome outcome = Outcome::Failed;
    QList<QHostAddress> addresses;  // Found: in the order the system gives them
    QString systemText;             // Failed: the resolver's own words
};

// Finds the addresses of `host` (a name, or an address written out) before `deadline`.
// The system resolver cannot be told how long to try, so a lookup that is still running when
// the deadline passes is left to finish on its own thread and its answer is thrown away.
HostLookup lookUpHost(const QString &host, QDeadlineTimer deadline);

} // namespace signlink
