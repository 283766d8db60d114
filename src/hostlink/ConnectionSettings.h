#pragma once
// The connection settings file (Vorlix_PRestart.txt): the host address, port
// and operating position the player used last, remembered between runs.
//
// The file holds lines "name=value" in any order, other lines ignored:
//
//     HOST_ADDRESS=192.168.1.10
//     HOST_PORT_NUMBER=49152
//     PLAYER_POSITION=Position 3
//
// A value belongs to the first line whose text before its first '=' equals
// the name, letter case ignored and with no blanks around the name.

#include <QString>

class ConnectionSettings
{
public:
    static constexpr qsizetype HostAddressLimit = 19;
    static constexpr int DefaultPort = 49152;

    QString HostAddress = QStringLiteral("0.0.0.0"); // at most HostAddressLimit characters
    int HostPort = DefaultPort;
    QString PlayerPosition = QStringLiteral("Position 1");
};

// The settings in `path`. A missing file (or one that cannot be read) gives
// the defaults above; in an existing file a missing name gives empty text, so
// the address and position are empty and the port is 0. The address keeps its
// first 19 characters, the port is the value's leading integer, the position
// is trimmed of blanks.
ConnectionSettings LoadConnectionSettings(const QString &path);

// Replaces the file with exactly the three lines, in the order above, each
// ending with CR LF. The texts are written as the player sees them in the
// window. False when the file could not be written; the old file then stays.
bool SaveConnectionSettings(const QString &path, const QString &address, const QString &port,
                            const QString &position);
