#pragma once
// A read-only window onto the sample bytes of an open wave file: the stretch
// [begin, end) of the file, read straight from disk as the audio sink pulls
// it. It tells once when the first bytes have been handed out. A file that
// turns out shorter than expected simply ends early.

#include <QIODevice>
#include <functional>

class QFile;

class WaveDataDevice final : public QIODevice
{
public:
    WaveDataDevice(QFile &file, qint64 begin, qint64 end, std::function<void()> firstBytes);

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;
    bool atEnd() const override;

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    QFile &m_file;
    qint64 m_next;
    qint64 m_end;
    std::function<void()> m_firstBytes;
};
