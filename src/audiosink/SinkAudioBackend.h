#pragma once
// Plays wave files on a sound device through QAudioSink. The sink pulls the
// PCM bytes of the requested stretch straight from the open file, so a Play
// starts and stops at exact sample positions; the position is the start of
// the stretch plus the sink's processed time. When the last bytes have been
// handed over, the sink's buffer is given time to drain before the end is
// reported. Every Play gets a fresh sink: a restarted one (Qt 6.4, PulseAudio)
// carries timing state over from its previous run and under-reports its
// processed time.

#include "util/AudioBackend.h"
#include "util/WaveFile.h"

#include <QAudio>
#include <QAudioDevice>
#include <QAudioFormat>
#include <QFile>
#include <QTimer>

class QAudioSink;
class WaveDataDevice;

class SinkAudioBackend final : public AudioBackend
{
public:
    explicit SinkAudioBackend(const QAudioDevice &device);
    ~SinkAudioBackend() override;

    // Raises "Cannot open file %s" when the file cannot be read; false when
    // the device cannot play its format.
    bool load(const WaveFile &wave) override;
    void unload() override;
    bool play(qint64 fromMs, qint64 toMs) override;
    void pause() override;
    bool resume() override;
    void stop() override;
    void seek(qint64 ms) override;
    qint64 position() override;
    State state() override;

private:
    void onSinkStateChanged(QAudio::State sinkState);
    void startDrainTimer();
    void finish();
    // Stops the sink and lets it go, with the stretch it was playing.
    void endRun();

    QAudioDevice m_device;
    QAudioFormat m_format;
    QFile m_file;
    WaveFile m_wave;
    // The sink of the current run and the stretch it pulls (a child of the
    // sink, so it lives as long as the sink may touch it); null when stopped.
    QAudioSink *m_sink = nullptr;
    WaveDataDevice *m_data = nullptr;
    State m_state = State::Stopped;
    qint64 m_from = 0;
    qint64 m_to = 0;
    qint64 m_position = 0; // while stopped; while playing, the last one seen
    bool m_draining = false;
    QTimer m_drainTimer;
};
