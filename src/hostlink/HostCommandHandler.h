#pragma once
// What the connection window needs from the window above it (the main
// window): the host commands that act on the session, the failures they
// raise, whether the station is in a local mode (standalone or practice, where
// the health check rests), and the news that the link was dropped.

#include "hostlink/HostProtocol.h"

#include <QString>

class HostCommandHandler
{
public:
    virtual ~HostCommandHandler() = default;

    // One host message whose command acts on the session (every command but
    // HEALTH_CHECK, POSITION_ACCEPTED and POSITION_REJECTED; PERFORM_DISCONNECT
    // arrives after the connection window has reset the link), decoded: the
    // command and its fields.
    virtual void HandleHostCommand(const HostProtocol::DecodedHostCommand &message) = 0;

    // A failure (StationError) raised while a host message was handled; its
    // text. It ended that message only: the messages after it are handled.
    // A host may send many failing commands during a test, so the player must
    // not be left a box to close for each of them.
    virtual void ReportHostProblem(const QString &text) = 0;

    // Standalone or practice mode is selected.
    virtual bool IsLocalMode() const = 0;

    // A link that was up is gone: the host closed it, the socket failed, or
    // the health check dropped it after the host fell silent. Once per link;
    // never for a connect attempt that failed, nor for PERFORM_DISCONNECT or
    // a close from this side. The connection window is back at Step 1.
    virtual void LinkDropped() = 0;

    // A test, a demonstration or a registration is on: a link lost without
    // a goodbye is tried again by itself.
    virtual bool WantsLink() const { return false; }
    // Trying again: `text` says how it goes ("Reconnecting ... (try 2)", or
    // why it stopped).
    virtual void ReconnectStatus(const QString &text) { (void)text; }
    // A link tried again by itself is up and the host gave the position back.
    virtual void LinkRestored() {}
};
