#pragma once
// The connection window. It owns the station's TCP link to the competition
// host: connecting in two steps (address and port, then an operating
// position), the settings file that remembers them, the health check that
// drops a silent link, and the reading of host messages. The link commands
// (HEALTH_CHECK, POSITION_ACCEPTED, POSITION_REJECTED and the link half of
// PERFORM_DISCONNECT) are handled here; every other command goes, in order, to
// the HostCommandHandler (the main window). The window is created once,
// hidden, and its socket and timers work whether it is shown or not.
//
// Reading never handles a message inside the socket's read event: a box that
// a handler opened there would stop every further read event until it closed
// (Qt does not raise readyRead again while a slot on it runs). The read event
// only turns bytes into whole messages and queues them; a queued step hands
// them on one at a time, in order. When a handler opens a box, the next step
// runs in the box's event loop and goes on with the messages behind it, so
// the host is still heard (and HEALTH_CHECK answered) while any box is open.

#include "hostlink/HostProtocol.h"

#include <QColor>
#include <QDialog>
#include <QHostAddress>
#include <QStringList>
#include <QTcpSocket>
#include <QTimer>
#include <memory>
#include <optional>

namespace Ui {
class TfmConnect;
}
class Clock;
class Dialogs;
class HostCommandHandler;
class QLabel;

class TfmConnect : public QDialog
{
    Q_OBJECT

public:
    TfmConnect(Dialogs &dialogs, Clock &clock, QWidget *parent = nullptr);
    ~TfmConnect() override;

    Ui::TfmConnect *ui() const { return m_ui.get(); }

    // The window's components besides its controls.
    QTcpSocket HaldenClientSocket;
    QTimer tmHealthCheck; // HealthCheckIntervalMs, running from creation
    // Single shot, MessageWaitMs: started while a message with fields ends the
    // last block read, and restarted by every block that continues it; when
    // it runs out the message is handled as it stands.
    QTimer tmMessageWait;

    // Runs while a link lost without a goodbye is tried again (the main
    // window wants the link: a test, a demonstration or a registration is
    // on): every ReconnectIntervalMs (by the station's clock; the timer
    // only wakes it every ReconnectTickMs) a new connection to the same host
    // asks for the same position, until the host gives it back or refuses it.
    QTimer tmReconnect;

    static constexpr int HealthCheckIntervalMs = 10000;
    static constexpr int ReconnectIntervalMs = 3000;
    static constexpr int ReconnectTickMs = 500;
    // A host that has not yet seen the old link go (it waits 30 s of
    // silence) refuses the position: it is asked again for this long.
    static constexpr qint64 ReconnectRefusedForMs = 45000;
    // How long a message with fields at the end of a block waits for the rest
    // that the network cut off. A small message's tail arrives late mostly
    // when the sender's Nagle algorithm holds it until our delayed ACK (40 ms
    // at the least on Linux) comes back; 100 ms covers that and a busy
    // machine's scheduling, and stays below what a player notices or a host
    // waiting for WAVEFILE_STATUS minds. Only SCORE_TEST, START_DEMO,
    // SET_WAVEFILE and VALIDATE_WAVEFILE ever wait, and only when they are the
    // last bytes read: a following ';' ends the wait at once.
    static constexpr int MessageWaitMs = 100;
    static constexpr qint64 HostSilenceLimitMs = 30000; // a drop needs strictly more

    // The colours of the two status panels.
    static QColor GoodColour() { return QColor(0, 128, 0); }      // connected, position assigned
    static QColor BadColour() { return QColor(255, 0, 0); }       // disconnected, position refused
    static QColor NeutralColour() { return QColor(255, 255, 0); } // no position

    // The main window, which handles the session commands and is asked about
    // the mode. Without one those commands are ignored and the station counts
    // as networked.
    void setHandler(HostCommandHandler *handler) { m_handler = handler; }

    // State read and written by the main window.
    bool Connected() const { return m_connected; }
    // The host takes messages for the player here: connected, and neither
    // waiting for a retried link's position nor refused one.
    bool LinkReady() const { return m_connected && !m_reconnecting && !m_positionRefused; }
    bool PositionAssigned() const { return m_positionAssigned; }
    // The host refused the position asked for on this link (and whether it
    // said that every position is taken).
    bool PositionRefused() const { return m_positionRefused; }
    bool AllPositionsTaken() const { return m_allPositionsTaken; }
    const QString &RegisteredCall() const { return m_registeredCall; }
    void setRegisteredCall(const QString &call) { m_registeredCall = call; }
    const QString &SettingsFileName() const { return m_settingsFileName; }
    void setSettingsFileName(const QString &path) { m_settingsFileName = path; }
    // The last sign of life of the host, a reading of the monotonic clock
    // (Clock::monotonicMs); none before the first.
    std::optional<qint64> LastHeard() const { return m_lastHeard; }
    const QStringList &HostMessages() const { return m_hostMessages; }
    // The text of cbPosition: the position name the main window shows.
    QString positionText() const;

    // Writes the text to the host in one write when connected; otherwise shows
    // "MSG FAILED:Client is not connected to host" and drops it.
    void SendToHost(const QString &text);
    // ";REQUEST_DISCONNECT:" through SendToHost.
    void RequestDisconnect();
    // Closes the link and returns the controls to the disconnected state,
    // position unassigned.
    void ResetToDisconnected();

    // Event handlers; public so that tests can drive them directly.
    void FormActivate();
    void bnConnectClick();
    void bnContinueClick();
    void bnDisconnectClick();
    void tmHealthCheckTimer();
    void HaldenClientSocketConnect();
    void HaldenClientSocketDisconnect();
    void HaldenClientSocketRead();
    void HaldenClientSocketError(QAbstractSocket::SocketError error);
    void tmMessageWaitTimer();
    void tmReconnectTimer();

    bool Reconnecting() const { return m_reconnecting; }
    // The player takes the link in hand (Connect): no more trying by itself.
    void StopReconnecting();

    // Closing by any way (Close, Esc, the close box) comes through here.
    void done(int result) override;

protected:
    bool event(QEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // Queues messages for HandlePendingMessages.
    void Enqueue(const QStringList &messages);
    void QueueHandling();
    // Hands the received messages on, one at a time, in order; then ends a
    // link that the socket reported gone.
    void HandlePendingMessages();
    void HandleHostMessage(const QString &text);
    // Every byte from the host is a sign of life.
    void Heard();
    // The host has been silent for longer than HostSilenceLimitMs.
    bool HostSilent() const;
    // The socket reports the link gone (the host closed it, or it failed):
    // once the messages received before are handled, EndLink.
    void SocketGone();
    void EndLink();
    // Forgets what was received and not yet handled.
    void DropReceived();
    void SetPanel(QLabel *panel, const QString &text, const QColor &background);
    // Closes the socket from this side: no drop of the link to report.
    void CloseSocket();
    QWidget *BoxParent();
    void ShowRefusal(const QString &text);
    // The link that was up is gone without a goodbye: try it again if the
    // main window wants it.
    void LinkLost();

    std::unique_ptr<Ui::TfmConnect> m_ui;
    Dialogs &m_dialogs;
    Clock &m_clock;
    HostCommandHandler *m_handler = nullptr;

    QStringList m_hostMessages;
    HostProtocol::MessageAssembler m_assembler;
    QStringList m_pendingMessages; // received, not yet handed on, in order
    bool m_handlingQueued = false;
    bool m_linkEnded = false; // the socket reported the link gone; EndLink waits
    bool m_connected = false;
    bool m_positionAssigned = false;
    bool m_positionRefused = false;
    bool m_allPositionsTaken = false;
    QString m_registeredCall;
    QString m_settingsFileName;
    // The host and position of the last link whose position was accepted;
    // the position is empty once the link ended with a goodbye.
    QHostAddress m_linkAddress;
    quint16 m_linkPort = 0;
    QString m_linkPosition;
    bool m_reconnecting = false;
    int m_reconnectTries = 0;
    qint64 m_reconnectSinceMs = 0;     // monotonic: when the link was lost
    qint64 m_lastAttemptMs = 0;        // monotonic
    std::optional<qint64> m_lastHeard; // none until the first sign of life: long ago
};
