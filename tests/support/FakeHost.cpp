#include "FakeHost.h"

#include <QTest>

FakeHost::FakeHost()
{
    connect(&m_server, &QTcpServer::newConnection, this, &FakeHost::acceptClient);
    m_server.listen(QHostAddress::LocalHost, 0);
}

FakeHost::~FakeHost()
{
    if (m_client)
        m_client->abort();
}

void FakeHost::acceptClient()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        ++m_connections;
        socket->setParent(this);
        // The latest station is the one the test talks to.
        if (m_client) {
            m_client->disconnect(this);
            m_client->abort();
            m_client->deleteLater();
        }
        m_client = socket;
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { m_received += socket->readAll(); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

bool FakeHost::hasClient() const
{
    return m_client && m_client->state() == QAbstractSocket::ConnectedState;
}

bool FakeHost::waitForClient(int timeoutMs)
{
    return QTest::qWaitFor([this] { return hasClient(); }, timeoutMs);
}

bool FakeHost::waitForClientGone(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !hasClient(); }, timeoutMs);
}

bool FakeHost::waitForReceived(const QByteArray &part, int timeoutMs)
{
    return QTest::qWaitFor([&] { return m_received.contains(part); }, timeoutMs);
}

void FakeHost::send(const QByteArray &block)
{
    if (!m_client)
        return;
    m_client->write(block);
    m_client->flush();
}

bool FakeHost::sendSplit(const QByteArray &block, qsizetype offset,
                         const std::function<bool()> &firstPartHandled, int timeoutMs)
{
    if (!m_client)
        return false;
    send(block.first(offset));
    if (!QTest::qWaitFor(firstPartHandled, timeoutMs))
        return false;
    send(block.sliced(offset));
    return true;
}

bool FakeHost::waitForAllWritten(int timeoutMs)
{
    return QTest::qWaitFor([this] { return !m_client || m_client->bytesToWrite() == 0; }, timeoutMs);
}

void FakeHost::closeClient()
{
    if (m_client)
        m_client->disconnectFromHost();
}

RawStation::RawStation(quint16 port)
{
    QObject::connect(&socket, &QTcpSocket::readyRead, [this] { got += socket.readAll(); });
    socket.connectToHost(QHostAddress::LocalHost, port);
    socket.waitForConnected(5000);
}

void RawStation::send(const QByteArray &bytes)
{
    socket.write(bytes);
    socket.flush();
}

bool RawStation::waitFor(const QByteArray &part, int timeoutMs)
{
    return QTest::qWaitFor([&] { return got.contains(part); }, timeoutMs);
}
