#include "link/serialsignport.h"

#include <QFileInfo>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace signlink {

namespace {

QString groupOf(const QString &path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    char buffer[1024];
    struct group entry {};
    struct group *found = nullptr;
    if (::getgrgid_r(st.st_gid, &entry, buffer, sizeof buffer, &found) != 0 || !found)
        return QString::number(st.st_gid);
    return QString::fromLocal8Bit(found->gr_name);
}

bool userMayOpen(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
}

} // namespace

QString permissionDeniedText(const QString &path)
{
    const QString group = groupOf(path);
    QString text = QStringLiteral("Permission denied on %1.").arg(path);
    if (!group.isEmpty())
        text += QStringLiteral(" Add your user to the group \"%1\" (sudo usermod -aG %1 $USER) "
                               "and log in again.").arg(group);
    return text;
}

SerialSignPort::SerialSignPort(PortMap map, QObject *parent)
    : SignPort(parent), m_map(std::move(map))
{
    connect(&m_port, &QSerialPort::readyRead, this, &SignPort::received);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialSignPort::onError);
}

SerialSignPort::~SerialSignPort()
{
    if (m_port.isOpen())
        m_port.close();
}

OpenResult SerialSignPort::open()
{
    if (m_port.isOpen())
        return {};
    const QString path = m_map.devicePath(commPort());
    if (path.isEmpty())
        return {OpenError::NoSuchPort, QStringLiteral("COM %1 does not exist.").arg(commPort())};
    if (!QFileInfo::exists(path))
        return {OpenError::NoSuchPort, QStringLiteral("%1 does not exist.").arg(path)};

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

OpenResult SerialSignPort::describeOpenFailure(const QString &path) const
{
    const QString systemText = m_port.errorString();
    switch (m_port.error()) {
    case QSerialPort::DeviceNotFoundError:
        return {OpenError::NoSuchPort, QStringLiteral("%1 does not exist.").arg(path)};
    case QSerialPort::OpenError:
        return {OpenError::Busy, QStringLiteral("%1 is already open.").arg(path)};
    case QSerialPort::PermissionError:
        // QSerialPort reports a port locked by another program as a permission error too; the
        // access check tells the two apart.
        if (!userMayOpen(path))
            return {OpenError::PermissionDenied, permissionDeniedText(path)};
        return {OpenError::Busy,
                QStringLiteral("%1 is in use by another program. Close it and try again.").arg(path)};
    default:
        return {OpenError::Other, QStringLiteral("%1: %2").arg(path, systemText)};
    }
}

void SerialSignPort::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialSignPort::isOpen() const
{
    return m_port.isOpen();
}

bool SerialSignPort::output(const QByteArray &bytes)
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
