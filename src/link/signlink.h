#pragma once

#include "link/linebuffer.h"
#include "link/signport.h"

#include <QLoggingCategory>
#include <QObject>
#include <QTimer>

#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcSignLink)

namespace signlink {

// One connection to the sign as everything above the port sees it: the port, the lines the sign
// sends, and the commands written to it. It owns the port and the line assembly, so that every
// window and the command line read lines the same way; it reports the lines to the port's
// traffic log (the port itself reports what is written). `QT_LOGGING_RULES="signconfig.link.debug=true"` logs the whole
// conversation.
class SignLink final : public QObject {
    Q_OBJECT
public:
    explicit SignLink(std::unique_ptr<SignPort> port, QObject *parent = nullptr);
    ~SignLink() override;

    SignPort &port() { return *m_port; }
    const SignPort &port() const { return *m_port; }

    // An unfinished line is dropped after this many quiet ticks of lineTimer() (10 ms each);
    // every character received starts the count again. 0 keeps unfinished lines until the next
    // line feed (the secondary windows read so).
    void setLineTimeout(qint16 ticks) { m_timeoutTicks = ticks; }
    QTimer &lineTimer() { return m_lineTimer; }

    OpenResult open(int comNumber);
    bool isOpen() const { return m_port->isOpen(); }
    void close();

    // One write of `bytes` as they are, the CR that ends a command included (session::commandBytes
    // makes them). False, with nothing sent, when the port is not open or refused them.
    bool send(const QByteArray &bytes);

    // The unfinished line: whether characters of one are waiting for their line feed.
    bool lineInProgress() const { return !m_line.isEmpty(); }
    void clearLine() { m_line.clear(); }

    // "COM 3": where this link goes, for messages and the traffic view.
    QString source() const;

    // What the last line received meant, for the traffic view ("Upload Successfull").
    void explainLastLine(const QString &meaning);

public slots:
    // Reads every waiting character; each finished line goes out by lineReceived() before the
    // next character is read.
    void readWaiting();
    // One tick of the line time-out.
    void lineTimeoutTick();

signals:
    void lineReceived(const QByteArray &line);
    // An unfinished line was thrown away: by the time-out, or because it grew past the cap.
    void lineDropped(const QByteArray &start, const QString &reason);
    void connectionLost(const QString &description);
    void outputUnsent(const QString &description);

private:
    void reportTraffic();

    std::unique_ptr<SignPort> m_port;
    LineBuffer m_line;
    QTimer m_lineTimer;
    qint16 m_timeoutTicks = 0;
    qint16 m_countdown = 0;
};

} // namespace signlink
