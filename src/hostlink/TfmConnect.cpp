#include "TfmConnect.h"

#include "ui_TfmConnect.h"

#include "ConnectionSettings.h"
#include "HostCommandHandler.h"
#include "ui/Announce.h"
#include "ui/Dialogs.h"
#include "ui/KeyAccess.h"
#include "util/Clock.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QKeyEvent>

using namespace HostProtocol;

namespace {

const QString kConnected = QStringLiteral("Connected");
const QString kDisconnected = QStringLiteral("Disconnected");
const QString kPositionUnassigned = QStringLiteral("Position Unassigned");

// The typed address when it is an IPv4 address in dotted form; a null address
// for anything else (empty text, a host name, IPv6).
QHostAddress Ipv4AddressOf(const QString &text)
{
    QHostAddress address;
    if (!address.setAddress(text.trimmed()) || address.protocol() != QAbstractSocket::IPv4Protocol)
        return QHostAddress();
    return address;
}

// The typed port when it is a whole number that names a TCP port (1 to
// 65535); the default port for anything else.
quint16 PortOf(const QString &text)
{
    bool ok = false;
    const int port = text.trimmed().toInt(&ok);
    if (!ok || port < 1 || port > 65535)
        return quint16(ConnectionSettings::DefaultPort);
    return quint16(port);
}

} // namespace

TfmConnect::TfmConnect(Dialogs &dialogs, Clock &clock, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TfmConnect>()), m_dialogs(dialogs), m_clock(clock)
{
    m_ui->setupUi(this);
    KeyAccess::Bind({{m_ui->bnConnect, Qt::Key_C},
                     {m_ui->bnContinue, Qt::Key_R},
                     {m_ui->bnDisconnect, Qt::Key_D},
                     {m_ui->bnCancel, Qt::Key_L}});
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);
    m_ui->ebHostPort->setText(QString::number(ConnectionSettings::DefaultPort));
    m_ui->cbPosition->setCurrentIndex(0);

    // Key preview: the window sees every key before the control with the focus.
    installEventFilter(this);
    for (QWidget *child : findChildren<QWidget *>())
        child->installEventFilter(this);

    connect(m_ui->bnConnect, &QPushButton::clicked, this, &TfmConnect::bnConnectClick);
    connect(m_ui->bnContinue, &QPushButton::clicked, this, &TfmConnect::bnContinueClick);
    connect(m_ui->bnDisconnect, &QPushButton::clicked, this, &TfmConnect::bnDisconnectClick);
    connect(m_ui->bnCancel, &QPushButton::clicked, this, &TfmConnect::reject);

    connect(&HaldenClientSocket, &QTcpSocket::connected, this, &TfmConnect::HaldenClientSocketConnect);
    connect(&HaldenClientSocket, &QTcpSocket::disconnected, this, &TfmConnect::HaldenClientSocketDisconnect);
    connect(&HaldenClientSocket, &QTcpSocket::readyRead, this, &TfmConnect::HaldenClientSocketRead);
    connect(&HaldenClientSocket, &QTcpSocket::errorOccurred, this, &TfmConnect::HaldenClientSocketError);

    tmHealthCheck.setInterval(HealthCheckIntervalMs);
    connect(&tmHealthCheck, &QTimer::timeout, this, &TfmConnect::tmHealthCheckTimer);
    tmHealthCheck.start();

    tmMessageWait.setSingleShot(true);
    tmMessageWait.setInterval(MessageWaitMs);
    connect(&tmMessageWait, &QTimer::timeout, this, &TfmConnect::tmMessageWaitTimer);

    tmReconnect.setInterval(ReconnectTickMs);
    connect(&tmReconnect, &QTimer::timeout, this, &TfmConnect::tmReconnectTimer);
}

TfmConnect::~TfmConnect()
{
    // The socket outlives this body: keep its last events away from a window
    // that is going.
    tmHealthCheck.stop();
    tmMessageWait.stop();
    tmReconnect.stop();
    HaldenClientSocket.disconnect(this);
    HaldenClientSocket.abort();
}

QString TfmConnect::positionText() const
{
    return m_ui->cbPosition->currentText();
}

QWidget *TfmConnect::BoxParent()
{
    return isVisible() || !parentWidget() ? static_cast<QWidget *>(this) : parentWidget();
}

void TfmConnect::ShowRefusal(const QString &text)
{
    m_dialogs.Message(BoxParent(), text, QCoreApplication::applicationName(), Dialogs::Icon::None,
                      Dialogs::Ok);
}

void TfmConnect::SetPanel(QLabel *panel, const QString &text, const QColor &background)
{
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, background);
    panel->setPalette(palette);
    Announce::Text(panel, text);
}

// ---- Sending -----------------------------------------------------------------

void TfmConnect::SendToHost(const QString &text)
{
    if (!m_connected) {
        ShowRefusal(QStringLiteral("MSG FAILED:Client is not connected to host"));
        return;
    }
    // Between the socket's end and the end of the link (messages received
    // before it are still being handled) a write has nowhere to go.
    if (HaldenClientSocket.state() != QAbstractSocket::ConnectedState)
        return;
    HaldenClientSocket.write(EncodeWire(text));
    HaldenClientSocket.flush();
}

void TfmConnect::RequestDisconnect()
{
    // Leaving: the end of this link is no loss to mend.
    m_linkPosition.clear();
    StopReconnecting();
    SendToHost(RequestDisconnectMessage());
}

// ---- Trying a lost link again ----------------------------------------------------

void TfmConnect::LinkLost()
{
    if (m_linkPosition.isEmpty() || !m_handler || !m_handler->WantsLink())
        return;
    m_reconnecting = true;
    m_reconnectTries = 0;
    m_lastAttemptMs = m_reconnectSinceMs = m_clock.monotonicMs();
    tmReconnect.start();
    m_handler->ReconnectStatus(QStringLiteral("Link lost -- reconnecting to the host"));
}

void TfmConnect::StopReconnecting()
{
    m_reconnecting = false;
    tmReconnect.stop();
}

void TfmConnect::tmReconnectTimer()
{
    m_dialogs.Guarded(this, [&] {
        // Not while the player has the window open: he is connecting by hand.
        if (!m_reconnecting || isVisible())
            return;
        if (!m_handler || !m_handler->WantsLink() || m_handler->IsLocalMode() || m_linkPosition.isEmpty()) {
            StopReconnecting();
            if (!m_connected)
                ResetToDisconnected();
            return;
        }
        // Connected and waiting for the host's answer to the position; or
        // the last attempt is not a whole interval old.
        if (m_connected || m_clock.monotonicMs() - m_lastAttemptMs < ReconnectIntervalMs)
            return;
        m_lastAttemptMs = m_clock.monotonicMs();
        // An attempt that has not come up in a whole interval is given up.
        CloseSocket();
        Heard(); // the health check leaves an attempt alone
        ++m_reconnectTries;
        HaldenClientSocket.connectToHost(m_linkAddress, m_linkPort);
        m_ui->bnConnect->setEnabled(false);
        m_ui->ebHostPort->setEnabled(false);
        m_ui->ebHostAddress->setEnabled(false);
        m_ui->bnDisconnect->setEnabled(true);
        m_handler->ReconnectStatus(
            QStringLiteral("Link lost -- reconnecting to the host (try %1)").arg(m_reconnectTries));
    });
}

// ---- Link state --------------------------------------------------------------

void TfmConnect::DropReceived()
{
    tmMessageWait.stop();
    m_assembler.Clear();
    m_pendingMessages.clear();
    m_linkEnded = false;
}

void TfmConnect::CloseSocket()
{
    // Nothing of the old link is handled any more, and its end is no drop:
    // the disconnect event that abort() raises finds the link already down.
    m_connected = false;
    DropReceived();
    // Hand what is already queued to the system, then let go at once: a
    // half-closed socket waiting for a dead host must not block the next
    // connect.
    if (HaldenClientSocket.state() == QAbstractSocket::ConnectedState)
        HaldenClientSocket.flush();
    HaldenClientSocket.abort();
}

void TfmConnect::ResetToDisconnected()
{
    CloseSocket();
    m_positionAssigned = false;
    m_ui->bnConnect->setEnabled(true);
    m_ui->ebHostPort->setEnabled(true);
    m_ui->ebHostAddress->setEnabled(true);
    m_ui->bnContinue->setEnabled(true);
    m_ui->bnDisconnect->setEnabled(false);
    SetPanel(m_ui->pnStatus, kDisconnected, BadColour());
    SetPanel(m_ui->pnPositionStatus, kPositionUnassigned, NeutralColour());
}

// ---- Window ------------------------------------------------------------------

void TfmConnect::FormActivate()
{
    m_dialogs.Guarded(this, [&] {
        m_ui->ebHostAddress->setEnabled(true);
        m_ui->ebHostPort->setEnabled(true);
        m_ui->bnConnect->setEnabled(true);
        m_ui->bnContinue->setEnabled(true);

        const ConnectionSettings settings = LoadConnectionSettings(m_settingsFileName);
        m_ui->ebHostAddress->setText(settings.HostAddress);
        m_ui->ebHostPort->setText(QString::number(settings.HostPort));
        // Letter case ignored; no item when the name is none of the six.
        m_ui->cbPosition->setCurrentIndex(
            m_ui->cbPosition->findText(settings.PlayerPosition, Qt::MatchFixedString));

        m_ui->ebHostAddress->setFocus();
    });
}

void TfmConnect::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormActivate();
}

bool TfmConnect::event(QEvent *e)
{
    if (e->type() == QEvent::WindowActivate)
        FormActivate();
    return QDialog::event(e);
}

bool TfmConnect::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Escape) {
        reject();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void TfmConnect::done(int result)
{
    bool saveFailed = false;
    m_dialogs.Guarded(this, [&] {
        // Closing never disconnects; only an accepted position is remembered.
        if (m_connected && m_positionAssigned)
            saveFailed = !SaveConnectionSettings(m_settingsFileName, m_ui->ebHostAddress->text(),
                                                 m_ui->ebHostPort->text(), positionText());
        Heard();
    });
    QDialog::done(result);
    if (saveFailed)
        m_dialogs.ShowError(BoxParent(), QStringLiteral("Cannot create file %1").arg(m_settingsFileName));
}

// ---- Buttons -------------------------------------------------------------------

void TfmConnect::bnConnectClick()
{
    m_dialogs.Guarded(this, [&] {
        if (m_ui->cbPosition->currentIndex() < 0 || positionText().trimmed().isEmpty()) {
            ShowRefusal(QStringLiteral("Please select a position before connecting"));
            return;
        }
        Heard();
        const QHostAddress address = Ipv4AddressOf(m_ui->ebHostAddress->text());
        const quint16 port = PortOf(m_ui->ebHostPort->text());
        m_ui->ebHostPort->setText(QString::number(port));

        // A link or attempt still open gives way to the new one, with nothing
        // left over from it; the new link has no position yet.
        StopReconnecting();
        CloseSocket();
        m_positionAssigned = m_positionRefused = m_allPositionsTaken = false;
        SetPanel(m_ui->pnPositionStatus, kPositionUnassigned, NeutralColour());
        // An address that is not IPv4 fails like a refused connect: silently,
        // until the health check returns the window to Step 1.
        if (!address.isNull())
            HaldenClientSocket.connectToHost(address, port);

        m_ui->bnConnect->setEnabled(false);
        m_ui->ebHostPort->setEnabled(false);
        m_ui->ebHostAddress->setEnabled(false);
        m_ui->bnDisconnect->setEnabled(true);
        m_ui->bnContinue->setEnabled(true);
    });
}

void TfmConnect::bnContinueClick()
{
    m_dialogs.Guarded(this, [&] {
        StopReconnecting();
        if (m_ui->cbPosition->currentIndex() < 0) {
            ShowRefusal(QStringLiteral("Please specify a position"));
            return;
        }
        SendToHost(ConnectPositionMessage(positionText()));
        m_ui->bnContinue->setEnabled(false);
    });
}

void TfmConnect::bnDisconnectClick()
{
    // The host answers with PERFORM_DISCONNECT or by closing the link.
    m_dialogs.Guarded(this, [&] { RequestDisconnect(); });
}

// ---- Health check --------------------------------------------------------------

void TfmConnect::tmHealthCheckTimer()
{
    m_dialogs.Guarded(this, [&] {
        if (m_handler && m_handler->IsLocalMode())
            return;
        if (m_reconnecting && !m_connected)
            return; // the retry owns the socket
        if (!HostSilent())
            return;
        // A station that was frozen (a laptop lid closed, the process
        // stopped) runs this timer before the read event of what the host
        // sent meanwhile: what the socket holds is read first, and the host
        // is silent only if it held nothing.
        if (m_connected && HaldenClientSocket.state() == QAbstractSocket::ConnectedState)
            HaldenClientSocket.waitForReadyRead(0);
        if (!HostSilent())
            return;

        // Only a link that was up is reported, and only once: one the socket
        // already reported gone, or one that never came up, is not.
        const bool wasUp = m_connected;
        ResetToDisconnected();
        m_ui->bnConnect->setText(QStringLiteral("Connect"));
        SetPanel(m_ui->pnPositionStatus, kPositionUnassigned, NeutralColour());
        m_ui->bnConnect->setEnabled(true);
        m_ui->bnContinue->setEnabled(true);
        m_ui->ebHostAddress->setEnabled(true);
        m_ui->ebHostPort->setEnabled(true);
        m_ui->cbPosition->setEnabled(true);
        m_ui->ebHostAddress->setReadOnly(false);
        m_ui->ebHostPort->setReadOnly(false);
        if (wasUp && m_handler) {
            m_handler->LinkDropped();
            LinkLost();
        }
    });
}

// ---- Socket events -------------------------------------------------------------

void TfmConnect::HaldenClientSocketConnect()
{
    m_dialogs.Guarded(this, [&] {
        m_connected = true;
        SetPanel(m_ui->pnStatus, kConnected, GoodColour());
        m_ui->bnContinue->setEnabled(true);
        m_ui->bnConnect->setEnabled(false);
        Heard();
        if (m_reconnecting)
            SendToHost(ConnectPositionMessage(m_linkPosition));
    });
}

void TfmConnect::HaldenClientSocketDisconnect()
{
    m_dialogs.Guarded(this, [&] { SocketGone(); });
}

void TfmConnect::HaldenClientSocketError(QAbstractSocket::SocketError error)
{
    // A look at the socket that found nothing new (the health check's) is
    // no fault of the link.
    if (error == QAbstractSocket::SocketTimeoutError)
        return;
    // A failed connect attempt is silent: the health check returns the window
    // to Step 1 later. An error on a link that is up ends it as the host's
    // close does (the disconnect event that may follow finds it ending).
    if (m_connected)
        m_dialogs.Guarded(this, [&] { SocketGone(); });
}

void TfmConnect::SocketGone()
{
    // Nothing more comes on this link: a message waiting for its rest is whole
    // as it stands, and a piece without a colon will never be one.
    tmMessageWait.stop();
    m_pendingMessages += m_assembler.Flush();
    m_assembler.Clear();
    // What the host sent before it went is handled first, while the link
    // still counts as up, then the link ends.
    m_linkEnded = true;
    if (m_pendingMessages.isEmpty())
        EndLink();
    else
        QueueHandling();
}

void TfmConnect::EndLink()
{
    m_linkEnded = false;
    const bool wasUp = m_connected;
    m_connected = false;
    HaldenClientSocket.close();
    m_ui->bnConnect->setEnabled(true);
    m_ui->ebHostPort->setEnabled(true);
    m_ui->ebHostAddress->setEnabled(true);
    m_ui->bnDisconnect->setEnabled(false);
    SetPanel(m_ui->pnStatus, kDisconnected, BadColour());
    // The position panel is left as it was; the main window hears at once.
    if (wasUp && m_handler) {
        m_handler->LinkDropped();
        LinkLost();
    }
}

void TfmConnect::Heard()
{
    m_lastHeard = m_clock.monotonicMs();
}

bool TfmConnect::HostSilent() const
{
    return !m_lastHeard || m_clock.monotonicMs() - *m_lastHeard > HostSilenceLimitMs;
}

void TfmConnect::HaldenClientSocketRead()
{
    // Only the bytes are taken here; the messages are handed on by a queued
    // step, never inside this event (see the top of TfmConnect.h).
    const QByteArray bytes = HaldenClientSocket.readAll();
    if (!bytes.isEmpty())
        Heard();
    const QStringList messages = m_assembler.Feed(DecodeWire(bytes));
    if (m_assembler.Waiting())
        tmMessageWait.start();
    else
        tmMessageWait.stop();
    if (!messages.isEmpty())
        m_hostMessages = messages;
    Enqueue(messages);
}

void TfmConnect::tmMessageWaitTimer()
{
    Enqueue(m_assembler.Flush());
}

void TfmConnect::Enqueue(const QStringList &messages)
{
    if (messages.isEmpty())
        return;
    m_pendingMessages += messages;
    QueueHandling();
}

void TfmConnect::QueueHandling()
{
    if (m_handlingQueued)
        return;
    m_handlingQueued = true;
    QMetaObject::invokeMethod(this, &TfmConnect::HandlePendingMessages, Qt::QueuedConnection);
}

void TfmConnect::HandlePendingMessages()
{
    m_handlingQueued = false;
    while (!m_pendingMessages.isEmpty()) {
        // Taken before it is handled, so that a step run in a box's event loop
        // goes on with the messages behind it and never repeats this one.
        const QString message = m_pendingMessages.takeFirst();
        if (!m_pendingMessages.isEmpty() || m_linkEnded)
            QueueHandling(); // runs only if this handler opens a box
        HandleHostMessage(message);
    }
    if (m_linkEnded)
        m_dialogs.Guarded(this, [&] { EndLink(); });
}

void TfmConnect::HandleHostMessage(const QString &text)
{
    // Taken apart once; the handlers read the value.
    const DecodedHostCommand message = DecodeHostCommand(text);
    try {
        switch (message.command) {
        case HostCommand::None:
            break;
        case HostCommand::HealthCheck:
            Heard();
            // An answer to a link that is already gone has no one to go to.
            if (m_connected)
                SendToHost(ClientAliveMessage());
            break;
        case HostCommand::PositionAccepted:
            SetPanel(m_ui->pnPositionStatus, QStringLiteral("Position Assigned"), GoodColour());
            m_positionAssigned = true;
            m_positionRefused = m_allPositionsTaken = false;
            m_linkAddress = HaldenClientSocket.peerAddress();
            m_linkPort = HaldenClientSocket.peerPort();
            if (!m_reconnecting) {
                m_linkPosition = positionText();
            } else {
                StopReconnecting();
                m_ui->bnContinue->setEnabled(false);
                if (m_handler)
                    m_handler->LinkRestored();
            }
            break;
        case HostCommand::PositionRejected:
            m_allPositionsTaken = message.allPositionsTaken;
            SetPanel(m_ui->pnPositionStatus,
                     m_allPositionsTaken ? QStringLiteral("All positions are taken")
                                         : QStringLiteral("Position already in use "),
                     BadColour());
            m_positionAssigned = false;
            m_positionRefused = true;
            if (m_reconnecting) {
                // The host may not have seen the old link go yet: asked
                // again for a while. Someone else holds it, or every place
                // is taken: the player decides what next.
                if (!message.allPositionsTaken &&
                    m_clock.monotonicMs() - m_reconnectSinceMs < ReconnectRefusedForMs) {
                    CloseSocket();
                    m_positionRefused = false;
                    if (m_handler)
                        m_handler->ReconnectStatus(
                            QStringLiteral("Link lost -- %1 still held, trying again").arg(m_linkPosition));
                } else {
                    StopReconnecting();
                    if (m_handler)
                        m_handler->ReconnectStatus(
                            QStringLiteral("%1 is taken -- press Connect").arg(m_linkPosition));
                }
            }
            break;
        case HostCommand::PerformDisconnect:
            // The session is over and the socket closed: what the host sent
            // after it belongs to no link, and is dropped with it.
            m_linkPosition.clear();
            StopReconnecting();
            ResetToDisconnected();
            m_ui->bnConnect->setText(QStringLiteral("Connect"));
            m_ui->bnConnect->setEnabled(true);
            SetPanel(m_ui->pnPositionStatus, kPositionUnassigned, NeutralColour());
            if (m_handler)
                m_handler->HandleHostCommand(message);
            break;
        default:
            if (m_handler)
                m_handler->HandleHostCommand(message);
            break;
        }
    } catch (const StationError &e) {
        // A failure ends this message's handling only. The main window says
        // it in a way that does not pile up a box per failing command.
        if (m_handler)
            m_handler->ReportHostProblem(e.text());
        else
            m_dialogs.ShowError(BoxParent(), e.text());
    }
}
