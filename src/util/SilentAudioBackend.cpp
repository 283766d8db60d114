#include "util/SilentAudioBackend.h"

#include "util/Clock.h"

#include <algorithm>

SilentAudioBackend::SilentAudioBackend(const Clock &clock) : m_clock(clock)
{
    m_endTimer.setSingleShot(true);
    m_endTimer.callOnTimeout([this] {
        update();
        armEndTimer();
    });
}

bool SilentAudioBackend::load(const WaveFile &)
{
    unload();
    return true;
}

void SilentAudioBackend::unload()
{
    m_endTimer.stop();
    m_state = State::Stopped;
    m_position = 0;
    m_end = 0;
}

bool SilentAudioBackend::play(qint64 fromMs, qint64 toMs)
{
    m_position = fromMs;
    m_end = std::max(fromMs, toMs);
    m_runStartMs = m_clock.monotonicMs();
    m_state = State::Playing;
    // Nothing is buffered: the first frame is "handed over" at once.
    notifyFirstFrame();
    update();
    armEndTimer();
    return true;
}

void SilentAudioBackend::pause()
{
    update();
    if (m_state != State::Playing)
        return;
    m_endTimer.stop();
    m_state = State::Paused;
}

bool SilentAudioBackend::resume()
{
    if (m_state != State::Paused)
        return false;
    m_runStartMs = m_clock.monotonicMs();
    m_state = State::Playing;
    armEndTimer();
    return true;
}

void SilentAudioBackend::stop()
{
    update();
    m_endTimer.stop();
    m_state = State::Stopped;
}

void SilentAudioBackend::seek(qint64 ms)
{
    stop();
    m_position = ms;
}

qint64 SilentAudioBackend::position()
{
    update();
    return m_position;
}

AudioBackend::State SilentAudioBackend::state()
{
    update();
    return m_state;
}

void SilentAudioBackend::update()
{
    if (m_state != State::Playing)
        return;
    const qint64 now = m_clock.monotonicMs();
    // A clock set back never moves the position back.
    const qint64 elapsed = std::max<qint64>(0, now - m_runStartMs);
    m_position = std::min(m_end, m_position + elapsed);
    m_runStartMs = now;
    if (m_position >= m_end) {
        m_state = State::Stopped;
        m_endTimer.stop();
        notifyFinished();
    }
}

void SilentAudioBackend::armEndTimer()
{
    if (m_state != State::Playing)
        return;
    // The clock may not be wall time (tests move it by hand), so the timer
    // only wakes us; update() decides from the clock whether the end came.
    m_endTimer.start(int(std::clamp<qint64>(m_end - m_position, 10, 60000)));
}
