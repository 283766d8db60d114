#pragma once
// A PulseAudio sound server of one's own: started in a scratch folder with a
// null sink for each name given (its description "<name> device"), so a test
// or a benchmark plays through a real server without a sound card, and
// stopped when this goes. Its clients find it through address().

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class SoundServer
{
public:
    explicit SoundServer(const QStringList &sinks);
    ~SoundServer();

    // Empty when the server runs; else why not (no pulseaudio installed...).
    const QString &error() const { return m_error; }
    // For PULSE_SERVER, or parec's --server.
    QString address() const;
    // pactl against this server; its output, or a null string when it failed.
    QString pactl(const QStringList &arguments) const;
    // The sinks that streams play on (or wait on, corked), each named once.
    QStringList sinksOfStreams() const;
    // Waits until every sink plays what it is given within 50 ms (a fresh
    // null sink has rendered up to 2 s ahead, until a client asks for less).
    bool waitForShortLatency(int timeoutMs) const;
    // A recorder of `sink`'s monitor: 16-bit mono at `rate`, raw on its output.
    void startRecorder(QProcess &recorder, const QString &sink, int rate, int latencyMs = 2) const;

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_error;
};
