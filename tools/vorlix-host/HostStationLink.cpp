#include "HostStationLink.h"

#include <QTcpSocket>

using namespace HostProtocol;

HostStationLink::HostStationLink(QTcpSocket *socket, std::function<void(const QString &)> onMessage,
                                 std::function<void()> onEnd)
    : m_socket(socket), m_peer(socket->peerAddress().toString()), m_onMessage(std::move(onMessage)),
      m_onEnd(std::move(onEnd))
{
    // The socket holds at most this much unread; the rest waits in the
    // system, which slows the sender down.
    m_socket->setReadBufferSize(4 * ReadChunkBytes);
    m_messageWait.setSingleShot(true);
    m_messageWait.setInterval(MessageWaitMs);
    connect(&m_messageWait, &QTimer::timeout, this, &HostStationLink::flushWaiting);
    connect(m_socket, &QTcpSocket::readyRead, this, &HostStationLink::read);
    connect(m_socket, &QTcpSocket::disconnected, this, &HostStationLink::linkGone);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &HostStationLink::linkGone);
    if (m_socket->bytesAvailable() > 0)
        queueRead();
}

HostStationLink::~HostStationLink()
{
    m_socket->disconnect(this);
    m_socket->abort();
    m_socket->deleteLater();
}

void HostStationLink::send(const QString &message, bool flush)
{
    if (m_ending || m_socket->state() != QAbstractSocket::ConnectedState)
        return;
    m_socket->write(EncodeWire(message));
    if (flush)
        m_socket->flush();
}

void HostStationLink::flush()
{
    if (!m_ending)
        m_socket->flush();
}

void HostStationLink::abort()
{
    m_socket->abort();
    linkGone();
}

void HostStationLink::closeAfterSending()
{
    m_socket->disconnectFromHost();
}

void HostStationLink::queueRead()
{
    if (std::exchange(m_readQueued, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_readQueued = false;
            read();
        },
        Qt::QueuedConnection);
}

void HostStationLink::read()
{
    if (m_ended || m_reading)
        return; // while handling, the handling reads on when it is done
    m_reading = true;
    const QStringList messages = m_assembler.Feed(DecodeWire(m_socket->read(ReadChunkBytes)));
    if (m_assembler.Waiting())
        m_messageWait.start();
    else
        m_messageWait.stop();
    handle(messages);
    doneReading();
}

void HostStationLink::flushWaiting()
{
    if (m_ended)
        return;
    if (m_reading) { // messages before it are still being handled
        m_messageWait.start();
        return;
    }
    m_reading = true;
    handle(m_assembler.Flush());
    doneReading();
}

void HostStationLink::doneReading()
{
    m_reading = false;
    if (std::exchange(m_endWhenRead, false))
        end();
    else if (!m_ended && m_socket->bytesAvailable() > 0)
        queueRead();
}

void HostStationLink::handle(const QStringList &messages)
{
    for (const QString &message : messages)
        m_onMessage(message);
}

void HostStationLink::linkGone()
{
    // The socket may tell of its end from inside a write (a failed flush),
    // in the middle of the host's loop over its stations: the end is
    // reported when the event loop comes round.
    if (std::exchange(m_ending, true))
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_reading)
                m_endWhenRead = true;
            else
                end();
        },
        Qt::QueuedConnection);
}

void HostStationLink::end()
{
    if (m_ended)
        return;
    // What the station sent before it went still counts.
    m_reading = true;
    while (m_socket->bytesAvailable() > 0)
        handle(m_assembler.Feed(DecodeWire(m_socket->read(ReadChunkBytes))));
    handle(m_assembler.Flush());
    m_reading = false;
    m_assembler.Clear();
    m_messageWait.stop();
    m_ended = true;
    m_socket->disconnect(this);
    m_socket->abort();
    m_onEnd();
}
