#pragma once
// One station's connection as the host reads it. Received bytes are cut into
// the station's messages by the rules the station itself reads the host by
// (a MessageAssembler reading FromStation): a message with fields at the end
// of a block waits MessageWaitMs for its rest, unless the station ended it
// with the end mark ';' as ours does. At most ReadChunkBytes are
// read per turn of the event loop and the rest in a queued call, so a
// station that floods holds up neither the others nor the organiser's
// window. The end of the link is reported once, from the event loop, after
// the messages the station sent before it; never from inside a write, nor
// while its messages are being handled (an organiser's slot may run the
// event loop inside one: nothing of this station is read or handled
// meanwhile, so its messages keep their order).

#include "hostlink/HostProtocol.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

class QTcpSocket;

class HostStationLink : public QObject
{
public:
    // About seventy calls a turn: each is written through to its log at once,
    // and a turn of the event loop stays near a millisecond however hard
    // six stations send (bench_host flood).
    static constexpr qint64 ReadChunkBytes = 1024;
    static constexpr int MessageWaitMs = 100;

    // Takes `socket` over. `onMessage` gets each whole message in order;
    // `onEnd` is called once when the link has ended.
    HostStationLink(QTcpSocket *socket, std::function<void(const QString &)> onMessage,
                    std::function<void()> onEnd);
    ~HostStationLink() override;

    QString peer() const { return m_peer; }
    // The link is ending (its end is reported soon) or has ended.
    bool ending() const { return m_ending; }

    // Writes a message if the link is up; `flush` hands it to the system at
    // once, else flush() does later.
    void send(const QString &message, bool flush = true);
    void flush();
    // Ends the link now.
    void abort();
    // Ends the link once what was sent has gone out.
    void closeAfterSending();

private:
    void read();
    void queueRead();
    void flushWaiting();
    void doneReading();
    void handle(const QStringList &messages);
    void linkGone();
    void end();

    QTcpSocket *m_socket;
    QString m_peer;
    std::function<void(const QString &)> m_onMessage;
    std::function<void()> m_onEnd;
    HostProtocol::MessageAssembler m_assembler{HostProtocol::MessageAssembler::Direction::FromStation};
    QTimer m_messageWait;
    bool m_reading = false;     // its messages are being handled
    bool m_readQueued = false;  // a queued call reads on
    bool m_ending = false;      // the socket has ended; the end is reported soon
    bool m_endWhenRead = false; // report it once the handling is done
    bool m_ended = false;
};
