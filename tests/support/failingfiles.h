#pragma once

#include <QFile>
#include <QSaveFile>

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
