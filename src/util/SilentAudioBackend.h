#pragma once
// An audio device that makes no sound: while playing, the position follows
// the station's clock from the start of the stretch, stops at its end and
// stands still while paused. Used by tests (with a ManualClock) and on
// machines without a sound device, so the station behaves the same there.

#include "util/AudioBackend.h"

#include <QTimer>

class Clock;

class SilentAudioBackend final : public AudioBackend
{
public:
    explicit SilentAudioBackend(const Clock &clock);

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
    // Brings position and state up to the clock; reports the end once.
    void update();
    void armEndTimer();

    const Clock &m_clock;
    State m_state = State::Stopped;
    qint64 m_position = 0; // where the clock's run started, or stands
    qint64 m_end = 0;
    qint64 m_runStartMs = 0; // monotonic
    // Wakes the backend near the end of the stretch so the end is reported
    // without anyone asking for the position.
    QTimer m_endTimer;
};
