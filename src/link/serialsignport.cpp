#include "link/serialsignport.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QThread>

#include <grp.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <vector>

namespace signlink {

namespace {

struct DeviceGroup {
    gid_t gid = 0;
    QString name;  // the number when the group has no name
};

std::optional<DeviceGroup> groupOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return std::nullopt;
    char buffer[1024];
    struct group entry {};
    struct group *found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return DeviceGroup{st.st_gid, QString::number(st.st_gid)};
    return DeviceGroup{st.st_gid, QString::fromLocal8Bit(found->gr_name)};
}

bool processIsInGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

bool userMayOpen(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

// The device as the operator gave it: a port map entry's target (say /dev/serial/by-id/...)
// rather than the entry itself, which they did not type.
QString shownDevice(const QString &path)
{
    const QFileInfo info(path);
    return info.isSymLink() ? info.symLinkTarget() : path;
}

} // namespace

QString permissionDeniedText(const QString &path)
{
    const std::optional<DeviceGroup> group = groupOf(path);
    const QString askAdministrator =
        QStringLiteral(" Ask your administrator to let you use it (check the device's permissions).");
    if (!group)
        return QStringLiteral("Permission denied on %1.").arg(path) + askAdministrator;
    // Joining root is never the answer, and joining a group one is in already changes nothing.
    if (group->gid == 0)
        return QStringLiteral("Permission denied on %1, which belongs to root.").arg(path) + askAdministrator;
    if (processIsInGroup(group->gid))
        return QStringLiteral("Permission denied on %1, although you are in its group \"%2\".")
                   .arg(path, group->name)
            + askAdministrator;
    return QStringLiteral("Permission denied on %1, which belongs to the group \"%2\". Add your user to that "
                          "group (sudo usermod -aG %2 $USER) and log in again.")
        .arg(path, group->name);
}

SerialSignPort::SerialSignPort(PortMap map, QObject *parent)
    : SignPort(parent), m_map(std::move(map))
{
    // While closing waits for the line, a reply read on the way is not handed on: the window
    // would interpret it inside its own close step.
    connect(&m_port, &QSerialPort::readyRead, this, [this] {
        if (!m_draining)
            emit received();
    });
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialSignPort::onError);
}

SerialSignPort::~SerialSignPort()
{
    if (m_port.isOpen()) {
        // The window that owns the port is being destroyed: nothing may call back into it.
        const QSignalBlocker quiet(this);
        drain();
        m_port.close();
    }
}

OpenResult SerialSignPort::open()
{
    if (m_port.isOpen())
        return {};
    const int com = commPort();
    const QString path = m_map.devicePath(com);
    if (path.isEmpty())
        return {OpenError::NoSuchPort,
                QStringLiteral("COM %1 does not exist. Choose one of COM %2 to COM %3.")
                    .arg(com)
                    .arg(PortMap::FirstPort)
                    .arg(PortMap::LastPort)};
    if (!QFileInfo::exists(path))
        return {OpenError::NoSuchPort,
                nameWith(shownDevice(path))
                    + QStringLiteral(" does not exist. Connect the sign's adapter, or choose another COM number.")};
    // A file, a pipe or a folder is never opened: QSerialPort would lock it and then fail with
    // the system's "Inappropriate ioctl for device".
    if (const std::optional<QString> text = notASerialPort(path))
        return {OpenError::Other, *text};

    m_port.setPortName(path);
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(1024);
    if (!m_port.open(QIODevice::ReadWrite))
        return describeOpenFailure(path);
    m_port.clearError();
    return {};
}

std::optional<QString> SerialSignPort::notASerialPort(const QString &path) const
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISCHR(st.st_mode))
        return std::nullopt;
    return notASerialPortText(path);
}

QString SerialSignPort::notASerialPortText(const QString &path) const
{
    const int com = commPort();
    const QString text = nameWith(shownDevice(path)) + QStringLiteral(" is not a serial port.");
    if (path != PortMap::defaultDevice(com))
        return text + QStringLiteral(" Point the port map entry %1 at the sign's serial device, or choose another "
                                     "COM number.")
                          .arg(path);
    return text + QStringLiteral(" Choose another COM number, or give %1 an entry in %2.").arg(name(), m_map.mapFolder());
}

OpenResult SerialSignPort::describeOpenFailure(const QString &path) const
{
    const QString device = shownDevice(path);
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {OpenError::NoSuchPort,
                nameWith(device)
                    + QStringLiteral(" does not exist. Connect the sign's adapter, or choose another COM number.")};
    case QSerialPort::OpenError:
        return {OpenError::Busy, nameWith(device) + QStringLiteral(" is already open. Close it and try again.")};
    case QSerialPort::PermissionError:
        // QSerialPort reports a port locked by another program as a permission error too; the
        // access check tells the two apart.
        if (!userMayOpen(path))
            return {OpenError::PermissionDenied, permissionDeniedText(device)};
        return {OpenError::Busy, nameWith(device) + QStringLiteral(" is in use by another program. Close it and try again.")};
    case QSerialPort::UnsupportedOperationError:
        // A character device that takes no terminal settings, such as /dev/null.
        return {OpenError::Other, notASerialPortText(path)};
    default:
        return {OpenError::Other, nameWith(device) + QStringLiteral(" could not be opened: %1. Check the device and try again.")
                                                            .arg(m_port.errorString())};
    }
}

int SerialSignPort::drainTimeoutMs(qint64 pending)
{
    constexpr qint64 MarginMs = 250;
    return int(std::min<qint64>(lineTimeMs(pending) + MarginMs, INT_MAX));
}

qint64 SerialSignPort::pendingOutput() const
{
    qint64 pending = m_port.bytesToWrite();
    int queued = 0;
    if (m_port.handle() >= 0 && ::ioctl(m_port.handle(), TIOCOUTQ, &queued) == 0 && queued > 0)
        pending += queued;
    return pending;
}

qint64 SerialSignPort::drain()
{
    const QScopedValueRollback draining(m_draining, true);
    const QDeadlineTimer deadline(drainTimeoutMs(pendingOutput()));
    while (m_port.isOpen() && m_port.bytesToWrite() > 0 && !deadline.hasExpired()) {
        if (!m_port.waitForBytesWritten(int(std::max<qint64>(deadline.remainingTime(), 1))))
            break;
    }
    // What the driver holds still goes out at line speed; restoring the line settings and
    // closing before then could garble it.
    while (m_port.isOpen() && pendingOutput() > 0 && !deadline.hasExpired())
        QThread::msleep(5);
    // A failure while waiting closed the port and was reported as a lost connection.
    return m_port.isOpen() ? pendingOutput() : 0;
}

void SerialSignPort::close()
{
    if (!m_port.isOpen())
        return;
    const qint64 unsent = drain();
    if (!m_port.isOpen())
        return;
    // Left in the driver, the rest would hold up closing for as long as the driver waits.
    if (unsent > 0)
        ::tcflush(m_port.handle(), TCOFLUSH);
    m_port.close();
    if (unsent > 0)
        emit outputUnsent(unsentOutputText(unsent));
}

bool SerialSignPort::isOpen() const
{
    return m_port.isOpen();
}

bool SerialSignPort::writeBytes(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    return m_port.write(bytes) == bytes.size();
}

qint64 SerialSignPort::inBufferCount() const
{
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

char SerialSignPort::input()
{
    char c = 0;
    if (!m_port.isOpen() || m_port.read(&c, 1) != 1)
        return 0;
    return c;
}

void SerialSignPort::onError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ReadError && error != QSerialPort::WriteError
        && error != QSerialPort::ResourceError)
        return;
    if (!m_port.isOpen())
        return;
    // QSerialPort raises these again and again while the dead device stays open; closing at once
    // stops that and frees the device.
    const QString description = m_port.errorString();
    m_port.close();
    m_port.clearError();
    emit connectionLost(description);
}

} // namespace signlink
