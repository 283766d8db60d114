#include "util/WavePlayer.h"

#include "util/SilentAudioBackend.h"
#include "util/StationError.h"

#include <QCoreApplication>
#include <QLibrary>
#include <QMetaObject>
#include <algorithm>

namespace {

using CreateBackend = AudioBackend *(*)();

// The sound device's module: beside the executable in the build folder,
// in lib/vorlix of an installed station.
QString modulePath()
{
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/vorlix-audio-sink");
    if (QLibrary(beside).load())
        return beside;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/../lib/vorlix/vorlix-audio-sink");
}

// The sound device's backend, from the module; null for silent playing, or
// when there is no module, no device or no sound server.
std::unique_ptr<AudioBackend> loadDeviceBackend(WavePlayer::Output output)
{
    if (output == WavePlayer::Output::Silent ||
        qEnvironmentVariable("VORLIX_SILENT_AUDIO") == QLatin1String("1"))
        return nullptr;
    // Loaded once and kept: backends made by it live as long as the program.
    static QLibrary module(modulePath());
    if (!module.isLoaded() && !module.load())
        return nullptr;
    const auto create = reinterpret_cast<CreateBackend>(module.resolve("vorlix_create_sink_backend"));
    return std::unique_ptr<AudioBackend>(create ? create() : nullptr);
}

} // namespace

WavePlayer::WavePlayer(const Clock &clock, Output output, QObject *parent)
    : QObject(parent), m_silent(std::make_unique<SilentAudioBackend>(clock))
{
    m_device = loadDeviceBackend(output);

    AudioBackend::Events events;
    events.firstFrame = [this] {
        if (m_firstFrameObserver)
            m_firstFrameObserver();
    };
    events.finished = [this] { onFinished(); };
    events.failed = [this] { onDeviceFailed(); };
    m_silent->setEvents(events);
    if (m_device)
        m_device->setEvents(events);
}

WavePlayer::~WavePlayer()
{
    close();
}

void WavePlayer::setFileName(const QString &path)
{
    m_fileName = path;
}

void WavePlayer::open()
{
    close();
    m_openWhenEnded = false;
    m_wave = WaveFile::open(m_fileName);
    if (m_device && m_device->load(m_wave)) {
        m_active = m_device.get();
        return;
    }
    if (m_device)
        qWarning("The sound device cannot play %s; it plays without sound", qUtf8Printable(m_fileName));
    m_silent->load(m_wave);
    m_active = m_silent.get();
}

void WavePlayer::standBy()
{
    m_openWhenEnded = isPlaying() || isPaused();
    if (m_openWhenEnded)
        return;
    try {
        open();
    } catch (const StationError &) {
        close();
    }
}

bool WavePlayer::standsReadyWith(const QString &path) const
{
    return isOpen() && !m_openWhenEnded && openFileName() == path && !isPlaying() && !isPaused() &&
           position() == 0;
}

qint64 WavePlayer::length() const
{
    requireOpen();
    return m_wave.lengthMs();
}

qint64 WavePlayer::position() const
{
    return m_active ? m_active->position() : 0;
}

void WavePlayer::play()
{
    requireOpen();
    const qint64 len = m_wave.lengthMs();
    const bool ranged = m_startPosition || m_endPosition;
    qint64 from = m_startPosition ? std::clamp<qint64>(*m_startPosition, 0, len) : position();
    const qint64 to = m_endPosition ? std::clamp<qint64>(*m_endPosition, 0, len) : len;
    if (!ranged && from >= len)
        from = 0;
    m_startPosition.reset();
    m_endPosition.reset();
    startPlaying(from, std::max(from, to));
}

void WavePlayer::pause()
{
    requireOpen();
    switch (m_active->state()) {
    case AudioBackend::State::Playing:
        m_active->pause();
        break;
    case AudioBackend::State::Paused:
        resume();
        break;
    case AudioBackend::State::Stopped:
        break;
    }
}

void WavePlayer::resume()
{
    requireOpen();
    const AudioBackend::State state = m_active->state();
    if (state == AudioBackend::State::Playing)
        return;
    if (state == AudioBackend::State::Paused && m_active->resume())
        return;
    // Nothing to continue: play on from here to the end of the stretch that
    // was paused, or of the file. Never rewinds, so a late resume after the
    // end does not start the recording over.
    const qint64 from = position();
    const qint64 to = state == AudioBackend::State::Paused ? m_runEnd : m_wave.lengthMs();
    startPlaying(from, std::max(from, to));
}

void WavePlayer::stop()
{
    requireOpen();
    m_active->stop();
}

void WavePlayer::rewind()
{
    requireOpen();
    m_active->seek(0);
}

void WavePlayer::close()
{
    m_startPosition.reset();
    m_endPosition.reset();
    if (!m_active)
        return;
    ++m_run;
    m_active->unload();
    m_active = nullptr;
    m_wave = WaveFile();
}

QList<AudioBackend::Output> WavePlayer::soundOutputs() const
{
    return m_device ? m_device->outputs() : QList<AudioBackend::Output>();
}

void WavePlayer::setSoundOutput(const QString &id)
{
    m_soundOutput = id;
    if (m_device)
        m_device->setOutput(id);
}

bool WavePlayer::isPlaying() const
{
    return m_active && m_active->state() == AudioBackend::State::Playing;
}

bool WavePlayer::isPaused() const
{
    return m_active && m_active->state() == AudioBackend::State::Paused;
}

bool WavePlayer::isSilent() const
{
    return m_active ? m_active == m_silent.get() : !m_device;
}

void WavePlayer::requireOpen() const
{
    if (!m_active)
        throw StationError(QStringLiteral("No MCI device open"));
}

void WavePlayer::startPlaying(qint64 fromMs, qint64 toMs)
{
    ++m_run;
    m_runEnd = toMs;
    if (m_active->play(fromMs, toMs))
        return;
    qWarning("The sound device did not start; %s plays without sound", qUtf8Printable(m_wave.path()));
    switchToSilent();
    m_active->play(fromMs, toMs);
}

void WavePlayer::switchToSilent()
{
    if (m_active != m_silent.get())
        m_active->unload();
    m_silent->load(m_wave);
    m_active = m_silent.get();
}

void WavePlayer::onFinished()
{
    // Backends may notice the end inside a query such as position(); the
    // signal goes out from the event loop, and only for the latest play.
    const quint64 run = m_run;
    QMetaObject::invokeMethod(
        this,
        [this, run] {
            if (run != m_run)
                return;
            emit playbackFinished();
            // The file set meanwhile stands ready for the next start.
            if (m_openWhenEnded && run == m_run && !isPlaying())
                standBy();
        },
        Qt::QueuedConnection);
}

void WavePlayer::onDeviceFailed()
{
    if (!m_active || m_active == m_silent.get())
        return;
    qWarning("The sound device failed; %s plays on without sound", qUtf8Printable(m_wave.path()));
    const bool paused = m_active->state() == AudioBackend::State::Paused;
    const qint64 at = m_active->position();
    // The device lets go of its run itself once this returns.
    m_silent->load(m_wave);
    m_active = m_silent.get();
    m_active->play(at, std::max(at, m_runEnd));
    if (paused)
        m_active->pause();
    emit soundLost();
}
