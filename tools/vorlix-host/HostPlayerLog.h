#pragma once
// One player's log on the host's disk: the calls of one round, one a line,
// in the order they arrived. The file stays open for the round; each call is
// written and handed to the operating system at once (a host crash loses
// nothing the station sent), and put on the disk itself (fdatasync) only
// when the player's station finalizes its log and before scoring, so a
// player typing at full speed costs one write per call and no disk wait.

#include <QFile>
#include <QString>
#include <QStringView>

class HostPlayerLog
{
public:
    HostPlayerLog() = default;
    HostPlayerLog(const HostPlayerLog &) = delete;
    HostPlayerLog &operator=(const HostPlayerLog &) = delete;
    ~HostPlayerLog() { close(); }

    // Opens `path` for appending, creating it when missing. A file that
    // already holds lines goes on after them, on a line of its own.
    bool open(const QString &path);
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    // Appends one call as one line (UTF-8, CR LF); false when it could not
    // be written.
    bool append(QStringView call);
    // The calls in the file: its lines that are not empty.
    int lineCount();
    // Puts what was written on the disk.
    bool sync();
    void close();

private:
    QFile m_file;
};
