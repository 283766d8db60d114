#include "HostPlayerLog.h"

#include <QFileInfo>

#include <unistd.h>

bool HostPlayerLog::open(const QString &path)
{
    close();
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return false;
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadWrite))
        return false;
    // Lines from before (the same player registered again this round) stay;
    // a last line cut by a crash is not run on into.
    const qint64 size = m_file.size();
    char last = '\n';
    if (size > 0 && !(m_file.seek(size - 1) && m_file.getChar(&last))) {
        m_file.close();
        return false;
    }
    if (!m_file.seek(size) || ((last != '\n' && last != '\r') && m_file.write("\r\n") != 2)) {
        m_file.close();
        return false;
    }
    return m_file.flush();
}

bool HostPlayerLog::append(QStringView call)
{
    if (!m_file.isOpen())
        return false;
    const QByteArray bytes = call.toUtf8() + "\r\n";
    return m_file.write(bytes) == bytes.size() && m_file.flush();
}

bool HostPlayerLog::sync()
{
    return m_file.isOpen() && m_file.flush() && ::fdatasync(m_file.handle()) == 0;
}

void HostPlayerLog::close()
{
    if (m_file.isOpen()) {
        sync();
        m_file.close();
    }
}

int HostPlayerLog::lineCount()
{
    if (!m_file.isOpen())
        return 0;
    const qint64 end = m_file.pos();
    int lines = 0;
    if (m_file.seek(0)) {
        while (!m_file.atEnd()) {
            if (!m_file.readLine().trimmed().isEmpty())
                ++lines;
        }
    }
    m_file.seek(end);
    return lines;
}
