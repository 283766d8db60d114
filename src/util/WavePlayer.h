#pragma once
// The station's single wave player (MediaPlayer1): the test, demonstration,
// replay and review audio all play through it. It offers the operations the
// windows use - file name, Open, time format, length, position, one-shot
// start and end positions, Play, Pause, Resume, Stop, Rewind, Close - over an
// AudioBackend. Lengths and positions are milliseconds.
//
// The sound device is used when there is one; without one (or with
// VORLIX_SILENT_AUDIO=1, or when asked for) a silent backend keeps time with
// the station's clock, so the station works the same without sound. When the
// device refuses a file or fails while playing, that file carries on
// silently, and soundLost() says so. Operations that need an open file raise
// "No MCI device open".
//
// The sound device may offer outputs to choose from (soundOutputs()); the
// chosen one (setSoundOutput(), empty for the system's choice) applies at
// once, to a play under way too.

#include "util/AudioBackend.h"
#include "util/WaveFile.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class SilentAudioBackend;

class WavePlayer : public QObject
{
    Q_OBJECT

public:
    enum class Output
    {
        Automatic,
        Silent
    };

    explicit WavePlayer(const Clock &clock, Output output = Output::Automatic, QObject *parent = nullptr);
    ~WavePlayer() override;

    // Sets the file that the next open() opens.
    void setFileName(const QString &path);
    const QString &fileName() const { return m_fileName; }

    // Closes any open file, then opens the named one. Raises "Cannot open
    // file %s" when it cannot be read, or a text naming the file and what is
    // wrong with it when it is not a playable PCM wave file or holds no
    // samples at all.
    void open();
    bool isOpen() const { return m_active != nullptr; }
    // Opens the file set, so that a start only sets it going: at once, or,
    // while a play of another is under way, as soon as that play ends. A file
    // that cannot be opened is left closed (its fault shows at the start).
    void standBy();
    // Whether path is open, unplayed since, and nothing waits to replace it.
    bool standsReadyWith(const QString &path) const;
    // The file that is open; empty when none is.
    QString openFileName() const { return m_active ? m_wave.path() : QString(); }

    // Milliseconds are the only unit the station uses.
    void setTimeFormatMilliseconds() {}

    qint64 length() const;
    // The current position; 0 when no file is open.
    qint64 position() const;
    // Make the next play() start or stop here; each applies to one play().
    void setStartPosition(qint64 ms) { m_startPosition = ms; }
    void setEndPosition(qint64 ms) { m_endPosition = ms; }

    void play();
    void pause();
    void resume();
    void stop();
    void rewind();
    // Releases the file; does nothing when none is open.
    void close();

    bool isPlaying() const;
    bool isPaused() const;
    // Whether the open file (or, with none open, the next one) plays without sound.
    bool isSilent() const;

    // Called each time a play() has handed its first audio frame to the
    // device; used to measure start latency.
    void setFirstFrameObserver(std::function<void()> observer) { m_firstFrameObserver = std::move(observer); }

    // The outputs of the sound device; empty without one.
    QList<AudioBackend::Output> soundOutputs() const;
    void setSoundOutput(const QString &id);
    // The output last set; empty for the system's choice.
    const QString &soundOutput() const { return m_soundOutput; }

signals:
    // The stretch being played has reached its end (not sent for stop()).
    void playbackFinished();
    // The sound device failed or went away while playing: the file plays on
    // without sound.
    void soundLost();

private:
    void requireOpen() const;
    void startPlaying(qint64 fromMs, qint64 toMs);
    void switchToSilent();
    void onFinished();
    void onDeviceFailed();

    std::unique_ptr<SilentAudioBackend> m_silent;
    std::unique_ptr<AudioBackend> m_device; // the sound device, when there is one
    AudioBackend *m_active = nullptr;       // the backend holding the open file
    WaveFile m_wave;
    QString m_fileName;
    QString m_soundOutput;
    std::optional<qint64> m_startPosition;
    std::optional<qint64> m_endPosition;
    qint64 m_runEnd = 0;
    quint64 m_run = 0;            // counts plays, so a late end report of an old one is dropped
    bool m_openWhenEnded = false; // standBy() while another file played
    std::function<void()> m_firstFrameObserver;
};
