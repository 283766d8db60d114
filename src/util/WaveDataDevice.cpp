#include "util/WaveDataDevice.h"

#include <QFile>
#include <algorithm>

WaveDataDevice::WaveDataDevice(QFile &file, qint64 begin, qint64 end, std::function<void()> firstBytes)
    : m_file(file), m_next(begin), m_end(std::max(begin, end)), m_firstBytes(std::move(firstBytes))
{
}

qint64 WaveDataDevice::bytesAvailable() const
{
    return (m_end - m_next) + QIODevice::bytesAvailable();
}

bool WaveDataDevice::atEnd() const
{
    return m_next >= m_end && QIODevice::bytesAvailable() == 0;
}

qint64 WaveDataDevice::readData(char *data, qint64 maxSize)
{
    const qint64 want = std::min(maxSize, m_end - m_next);
    if (want <= 0)
        return 0;
    qint64 got = -1;
    if (m_file.seek(m_next))
        got = m_file.read(data, want);
    if (got <= 0) {
        // The file lost its tail since it was opened: end here.
        m_end = m_next;
        return 0;
    }
    m_next += got;
    if (m_firstBytes) {
        auto notify = std::move(m_firstBytes);
        m_firstBytes = nullptr;
        notify();
    }
    return got;
}
