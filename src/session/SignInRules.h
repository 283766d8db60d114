#pragma once
// The checks of the identifier a player types into box 1 before a test. Each
// refusal is one fixed text; an accepted identifier gives an empty text.

#include "util/SessionPaths.h"

#include <QString>
#include <QStringList>

struct SignInCheck
{
    QString refusal;       // empty when the identifier is accepted
    QStringList foundLogs; // what the last log search found
};

// The checks made before registering with the host (connected) or before a
// local test starts (not connected). `standAloneMode` adds the search of the
// standalone logs; the networked logs are searched whenever not connected.
SignInCheck CheckIdentifier(const QString &typed, bool standAloneMode, bool connected,
                            const SessionPaths &paths);
