#pragma once

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <fcntl.h>
#include <unistd.h>

namespace testsupport {

// A file being saved whose device fails once `limit` bytes have gone into it, like a full disk.
class FailingSaveFile final : public QSaveFile {
public:
    FailingSaveFile(const QString &path, qint64 limit) : QSaveFile(path), m_left(limit) {}

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        if (length > m_left) {
            if (m_left > 0)
                QSaveFile::writeData(data, m_left);
            m_left = 0;
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        m_left -= length;
        return QSaveFile::writeData(data, length);
    }

private:
    qint64 m_left;
};

// A file being saved whose every write() is taken into Qt's buffer, but whose device refuses
// the bytes when they reach it, at the flush before commit: a full disk as a small file meets
// it. The temporary file stays the one QSaveFile made (so its commit can still put it in
// place); only its descriptor is swapped for a read-only one of the same file.
class FailingAtFlushSaveFile final : public QSaveFile {
public:
    using QSaveFile::QSaveFile;

protected:
    qint64 writeData(const char *data, qint64 length) override
    {
        if (!m_swapped && handle() >= 0) {
            m_swapped = true;
            const QByteArray self = "/proc/self/fd/" + QByteArray::number(handle());
            const int readOnly = ::open(self.constData(), O_RDONLY | O_CLOEXEC);
            if (readOnly >= 0) {
                ::dup2(readOnly, handle());
                ::close(readOnly);
            }
        }
        return QSaveFile::writeData(data, length);
    }

private:
    bool m_swapped = false;
};

// A file being read whose device fails once `limit` bytes have come out of it.
class FailingReadFile final : public QFile {
public:
    FailingReadFile(const QString &path, qint64 limit) : QFile(path), m_left(limit) {}

protected:
    qint64 readData(char *data, qint64 length) override
    {
        if (m_left <= 0) {
            setErrorString(QStringLiteral("Input/output error"));
            return -1;
        }
        const qint64 n = QFile::readData(data, std::min(length, m_left));
        if (n > 0)
            m_left -= n;
        return n;
    }

private:
    qint64 m_left;
};

} // namespace testsupport
