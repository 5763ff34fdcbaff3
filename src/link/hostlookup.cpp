#include "link/hostlookup.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include <netdb.h>
#include <sys/socket.h>

namespace signlink {

namespace {

HostLookup resolve(const QByteArray &name)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const int status = ::getaddrinfo(name.constData(), nullptr, &hints, &found);
    HostLookup result;
    if (status == EAI_NONAME || status == EAI_NODATA) {
        result.outcome = HostLookup::Outcome::NotFound;
    } else if (status != 0) {
        result.systemText = QString::fromLocal8Bit(::gai_strerror(status));
    } else {
        for (const addrinfo *a = found; a; a = a->ai_next) {
            const QHostAddress address(a->ai_addr);
            if (!address.isNull() && !result.addresses.contains(address))
                result.addresses.append(address);
        }
        result.outcome = result.addresses.isEmpty() ? HostLookup::Outcome::NotFound : HostLookup::Outcome::Found;
    }
    if (found)
        ::freeaddrinfo(found);
    return result;
}

struct Pending {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    HostLookup result;
};

} // namespace

HostLookup lookUpHost(const QString &host, QDeadlineTimer deadline)
{
    const QHostAddress literal(host);
    if (!literal.isNull())
        return {HostLookup::Outcome::Found, {literal}, {}};

    auto pending = std::make_shared<Pending>();
    std::thread([pending, name = host.toLatin1()] {
        HostLookup result = resolve(name);
        const std::lock_guard lock(pending->mutex);
        pending->result = std::move(result);
        pending->finished = true;
        pending->done.notify_one();
    }).detach();

    std::unique_lock lock(pending->mutex);
    if (!pending->done.wait_for(lock, std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime())),
                                [&] { return pending->finished; }))
        return {HostLookup::Outcome::TimedOut, {}, {}};
    return pending->result;
}

} // namespace signlink
