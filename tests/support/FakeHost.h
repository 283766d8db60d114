#pragma once
// A competition host for tests: listens on 127.0.0.1 at a free port, takes one
// station at a time, records every byte the station sends and sends scripted
// blocks, whole, split at a chosen byte, or followed by a close. RawStation is
// the other end: a station as a host under test sees it.

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>
#include <initializer_list>

// Messages with fields as this station and this host send them, each ended by
// the end mark: Ended({";LOG_CALL:K1A", ";LOG_CALL:W1A"}) is
// ";LOG_CALL:K1A;;LOG_CALL:W1A;".
inline QByteArray Ended(std::initializer_list<QByteArray> messages)
{
    QByteArray bytes;
    for (const QByteArray &message : messages)
        bytes += message + ';';
    return bytes;
}

class FakeHost : public QObject
{
    Q_OBJECT

public:
    FakeHost();
    ~FakeHost() override;

    bool listening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }

    // The station currently connected, if any.
    bool hasClient() const;
    // Waits (running the event loop) until a station has connected.
    bool waitForClient(int timeoutMs = 5000);
    // Waits until the current station has gone (closed its end).
    bool waitForClientGone(int timeoutMs = 5000);

    // Every byte received from the stations since the last clear, in order.
    const QByteArray &received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    // Waits until received() contains `part`.
    bool waitForReceived(const QByteArray &part, int timeoutMs = 5000);

    // Sends one block in a single write and hands it to the system at once.
    void send(const QByteArray &block);
    // Sends the block in two writes, cut before byte `offset`. Between them it
    // runs the event loop until `firstPartHandled` is true (for example, the
    // station's read event has run), so the station reads the two parts as two
    // blocks. False when that did not happen within the timeout; the second
    // part is then not sent.
    bool sendSplit(const QByteArray &block, qsizetype offset, const std::function<bool()> &firstPartHandled,
                   int timeoutMs = 5000);
    // Waits until everything sent has been handed to the system.
    bool waitForAllWritten(int timeoutMs = 5000);
    // Closes the connection to the station after what was sent has gone out.
    void closeClient();

    // Connections accepted since creation.
    int connectionCount() const { return m_connections; }

private:
    void acceptClient();

    QTcpServer m_server;
    QPointer<QTcpSocket> m_client;
    QByteArray m_received;
    int m_connections = 0;
};

// A station's end of a link to a host under test, as the host sees it: bytes
// out, and every byte the host sent kept in `got`. Made connected (waiting up
// to five seconds).
class RawStation
{
public:
    explicit RawStation(quint16 port);
    void send(const QByteArray &bytes);
    // Waits (running the event loop) until `got` contains `part`.
    bool waitFor(const QByteArray &part, int timeoutMs = 5000);

    QTcpSocket socket;
    QByteArray got;
};
