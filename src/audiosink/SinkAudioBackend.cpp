#include "audiosink/SinkAudioBackend.h"

#include "util/StationError.h"
#include "util/WaveDataDevice.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <algorithm>
#include <utility>

namespace {

QAudioFormat audioFormatOf(const WaveFile &wave)
{
    QAudioFormat format;
    format.setSampleRate(wave.sampleRate());
    format.setChannelCount(wave.channels());
    // WAV samples are little-endian, as the machines the station runs on.
    format.setSampleFormat(wave.bitsPerSample() == 8 ? QAudioFormat::UInt8 : QAudioFormat::Int16);
    return format;
}

} // namespace

SinkAudioBackend::SinkAudioBackend(const QAudioDevice &device) : m_device(device)
{
    m_drainTimer.setSingleShot(true);
    m_drainTimer.callOnTimeout([this] { finish(); });
}

SinkAudioBackend::~SinkAudioBackend()
{
    unload();
}

bool SinkAudioBackend::load(const WaveFile &wave)
{
    unload();
    const QAudioFormat format = audioFormatOf(wave);
    if (!m_device.isFormatSupported(format))
        return false;
    m_file.setFileName(wave.path());
    if (!m_file.open(QIODevice::ReadOnly))
        throw StationError::cannotOpen(wave.path());
    m_wave = wave;
    m_format = format;
    return true;
}

void SinkAudioBackend::unload()
{
    endRun();
    m_file.close();
    m_position = 0;
}

bool SinkAudioBackend::play(qint64 fromMs, qint64 toMs)
{
    endRun();
    if (!m_file.isOpen())
        return false;
    m_from = fromMs;
    m_to = std::max(fromMs, toMs);
    m_position = m_from;
    const qint64 frameBytes = m_wave.bytesPerFrame();
    const qint64 begin = m_wave.dataOffset() + m_wave.frameAtMs(m_from) * frameBytes;
    const qint64 end = m_wave.dataOffset() + m_wave.frameAtMs(m_to) * frameBytes;
    m_sink = new QAudioSink(m_device, m_format);
    m_data = new WaveDataDevice(m_file, begin, end, [this] { notifyFirstFrame(); });
    m_data->setParent(m_sink);
    m_data->open(QIODevice::ReadOnly);
    QObject::connect(m_sink, &QAudioSink::stateChanged, m_sink,
                     [this](QAudio::State s) { onSinkStateChanged(s); });
    // The state is set only once the sink runs, so a failing start is
    // reported by the return value alone, not also as a device failure.
    m_sink->start(m_data);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState) {
        endRun();
        return false;
    }
    m_state = State::Playing;
    return true;
}

void SinkAudioBackend::pause()
{
    if (m_state != State::Playing)
        return;
    m_position = position();
    m_drainTimer.stop();
    m_sink->suspend();
    m_state = State::Paused;
}

bool SinkAudioBackend::resume()
{
    if (m_state != State::Paused)
        return false;
    m_sink->resume();
    const QAudio::State now = m_sink->state();
    if (now != QAudio::ActiveState && now != QAudio::IdleState)
        return false;
    m_state = State::Playing;
    if (m_draining)
        startDrainTimer();
    return true;
}

void SinkAudioBackend::stop()
{
    if (m_state == State::Stopped)
        return;
    m_position = position();
    endRun();
}

void SinkAudioBackend::seek(qint64 ms)
{
    stop();
    m_position = ms;
}

qint64 SinkAudioBackend::position()
{
    if (m_state == State::Stopped)
        return m_position;
    const qint64 played = m_sink->processedUSecs() / 1000;
    m_position = std::clamp(m_from + played, m_position, m_to);
    return m_position;
}

AudioBackend::State SinkAudioBackend::state()
{
    return m_state;
}

void SinkAudioBackend::onSinkStateChanged(QAudio::State sinkState)
{
    if (m_state == State::Stopped)
        return; // our own stop, or a run that already ended
    if (sinkState == QAudio::IdleState && m_data && m_data->atEnd()) {
        // Everything is handed over; let the device play out its buffer.
        if (!m_draining) {
            m_draining = true;
            if (m_state == State::Playing)
                startDrainTimer();
        }
    } else if (sinkState == QAudio::StoppedState && m_sink->error() != QAudio::NoError) {
        // The device went away. Tell the player while the position still
        // says where we were, then let go of the run.
        notifyFailed();
        endRun();
    }
}

void SinkAudioBackend::startDrainTimer()
{
    const qint64 bytesPerSecond = qint64(m_wave.sampleRate()) * m_wave.bytesPerFrame();
    const qint64 bufferMs = bytesPerSecond > 0 ? m_sink->bufferSize() * 1000 / bytesPerSecond : 0;
    m_drainTimer.start(int(std::clamp<qint64>(bufferMs + 50, 50, 2000)));
}

void SinkAudioBackend::finish()
{
    endRun();
    m_position = m_to;
    notifyFinished();
}

void SinkAudioBackend::endRun()
{
    m_drainTimer.stop();
    m_draining = false;
    m_state = State::Stopped;
    if (!m_sink)
        return;
    QAudioSink *sink = std::exchange(m_sink, nullptr);
    m_data = nullptr;
    sink->disconnect();
    sink->stop();
    // Deleted from the event loop: this may run inside the sink's own signal.
    sink->deleteLater();
}
