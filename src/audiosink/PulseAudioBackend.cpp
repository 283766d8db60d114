#include "audiosink/PulseAudioBackend.h"

#include "util/StationError.h"
#include "util/WaveDataDevice.h"

#include <QFile>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <pulse/pulseaudio.h>
#include <pulse/rtclock.h>

namespace {

// What the server keeps buffered for a stream, and so about the delay from a
// sample handed over to the sample heard.
constexpr int BufferMs = 40;
constexpr int AwakeReleaseMs = 1000;
constexpr int ConnectTimeoutMs = 3000;
constexpr int QueryTimeoutMs = 2000;

void Unref(pa_operation *operation)
{
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

struct PulseAudioBackend::Stream
{
    PulseAudioBackend *owner = nullptr;
    quint64 id = 0;
    pa_stream *stream = nullptr;
    QByteArray device;          // the sink it must stay on; empty: any
    qint64 fromMs = 0;          // the wave position of its first sample
    size_t cursor = 0;          // the next sample byte to hand over
    size_t end = 0;             // where handing over stops
    bool ready = false;         // connected to the server
    bool running = false;       // should play (uncorked) as soon as it can
    bool started = false;       // has been uncorked: its clock has run
    bool lost = false;          // failed, or moved off its sink
    bool allHandedOver = false; // told once the last sample is with the server
    bool silence = false;       // plays silence only, to keep the device awake
    char sampleZero = 0;        // the silent sample value
};

std::unique_ptr<PulseAudioBackend> PulseAudioBackend::connect()
{
    pa_threaded_mainloop *loop = pa_threaded_mainloop_new();
    if (!loop)
        return nullptr;
    pa_proplist *props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_APPLICATION_NAME, "Vorlix Player");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ID, "org.vorlix.Player");
    pa_proplist_sets(props, PA_PROP_APPLICATION_ICON_NAME, "org.vorlix.Player");
    pa_context *context =
        pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), "Vorlix Player", props);
    pa_proplist_free(props);
    if (!context) {
        pa_threaded_mainloop_free(loop);
        return nullptr;
    }
    std::unique_ptr<PulseAudioBackend> backend(new PulseAudioBackend(loop, context));
    pa_context_set_state_callback(context, &PulseAudioBackend::onContextState, loop);
    // A station never starts a sound server of its own: a desktop has one.
    if (pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
        pa_threaded_mainloop_start(loop) < 0)
        return nullptr;
    pa_threaded_mainloop_lock(loop);
    backend->waitLocked(
        [context] {
            return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)) ||
                   pa_context_get_state(context) == PA_CONTEXT_READY;
        },
        ConnectTimeoutMs);
    const bool ready = pa_context_get_state(context) == PA_CONTEXT_READY;
    pa_threaded_mainloop_unlock(loop);
    if (!ready)
        return nullptr;
    return backend;
}

PulseAudioBackend::PulseAudioBackend(pa_threaded_mainloop *loop, pa_context *context)
    : m_loop(loop), m_context(context)
{
    m_awakeTimer.setSingleShot(true);
    m_awakeTimer.callOnTimeout(this, [this] {
        if (m_state == State::Playing)
            release(m_awake);
    });
    m_endTimer.setSingleShot(true);
    m_endTimer.callOnTimeout(this, [this] {
        if (m_state != State::Playing)
            return;
        if (position() >= m_to)
            finish();
        else
            armEndTimer();
    });
}

PulseAudioBackend::~PulseAudioBackend()
{
    release();
    release(m_awake);
    pa_threaded_mainloop_lock(m_loop);
    pa_context_set_state_callback(m_context, nullptr, nullptr);
    pa_context_disconnect(m_context);
    pa_threaded_mainloop_unlock(m_loop);
    pa_threaded_mainloop_stop(m_loop);
    pa_context_unref(m_context);
    pa_threaded_mainloop_free(m_loop);
}

template <typename Done> bool PulseAudioBackend::waitLocked(Done done, int timeoutMs)
{
    struct Alarm
    {
        pa_threaded_mainloop *loop;
        bool rang = false;
    } alarm{m_loop};
    pa_time_event *timer = pa_context_rttime_new(
        m_context, pa_rtclock_now() + pa_usec_t(timeoutMs) * PA_USEC_PER_MSEC,
        [](pa_mainloop_api *, pa_time_event *, const struct timeval *, void *data) {
            auto *a = static_cast<Alarm *>(data);
            a->rang = true;
            pa_threaded_mainloop_signal(a->loop, 0);
        },
        &alarm);
    while (!done() && !alarm.rang && timer)
        pa_threaded_mainloop_wait(m_loop);
    if (timer)
        pa_threaded_mainloop_get_api(m_loop)->time_free(timer);
    return done();
}

bool PulseAudioBackend::load(const WaveFile &wave)
{
    unload();
    pa_threaded_mainloop_lock(m_loop);
    const bool connected = pa_context_get_state(m_context) == PA_CONTEXT_READY;
    pa_threaded_mainloop_unlock(m_loop);
    if (!connected)
        return false;
    QFile file(wave.path());
    if (!file.open(QIODevice::ReadOnly))
        throw StationError::cannotOpen(wave.path());
    WaveDataDevice data(file, wave.dataOffset(), wave.dataOffset() + wave.dataBytes(), {});
    data.open(QIODevice::ReadOnly);
    m_samples = data.readAll();
    // A file cut short since its layout was read plays the whole frames it has.
    m_samples.truncate(m_samples.size() - m_samples.size() % wave.bytesPerFrame());
    m_wave = wave;
    if (!prepare(0)) {
        unload();
        return false;
    }
    return true;
}

void PulseAudioBackend::unload()
{
    release();
    release(m_awake);
    m_samples.clear();
    m_wave = WaveFile();
    m_state = State::Stopped;
    m_position = 0;
}

bool PulseAudioBackend::prepare(qint64 fromMs)
{
    release();
    if (m_wave.bytesPerFrame() <= 0)
        return false;
    m_stream = openStream(fromMs, false);
    // While it waits, a second stream plays silence, so the device stays
    // awake (a server suspends an idle one after a few seconds) and its
    // buffer short: the start is heard one short device latency after play.
    if (m_stream && !m_awake)
        m_awake = openStream(0, true);
    return m_stream != nullptr;
}

std::unique_ptr<PulseAudioBackend::Stream> PulseAudioBackend::openStream(qint64 fromMs, bool silence)
{
    auto s = std::make_unique<Stream>();
    s->owner = this;
    s->id = ++m_streamCount;
    s->device = m_device;
    s->fromMs = fromMs;
    s->silence = silence;
    s->sampleZero = m_wave.bitsPerSample() == 8 ? char(0x80) : 0;
    s->end = size_t(m_samples.size());
    s->cursor = std::min(size_t(m_wave.frameAtMs(fromMs) * m_wave.bytesPerFrame()), s->end);

    pa_sample_spec format;
    format.format = m_wave.bitsPerSample() == 8 ? PA_SAMPLE_U8 : PA_SAMPLE_S16LE;
    format.rate = uint32_t(m_wave.sampleRate());
    format.channels = uint8_t(m_wave.channels());
    pa_buffer_attr buffer;
    buffer.maxlength = uint32_t(-1);
    buffer.tlength = uint32_t(pa_usec_to_bytes(pa_usec_t(BufferMs) * PA_USEC_PER_MSEC, &format));
    // Played as soon as it is uncorked: the buffer is filled while corked.
    buffer.prebuf = 0;
    buffer.minreq = uint32_t(-1);
    buffer.fragsize = uint32_t(-1);
    const auto flags =
        pa_stream_flags_t((silence ? 0 : PA_STREAM_START_CORKED) | PA_STREAM_INTERPOLATE_TIMING |
                          PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);

    pa_threaded_mainloop_lock(m_loop);
    bool connected = false;
    if (pa_context_get_state(m_context) == PA_CONTEXT_READY) {
        pa_proplist *props = pa_proplist_new();
        pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "game");
        s->stream =
            pa_stream_new_with_proplist(m_context, silence ? "Standby" : "Pileup", &format, nullptr, props);
        pa_proplist_free(props);
    }
    if (s->stream) {
        pa_stream_set_write_callback(s->stream, &PulseAudioBackend::onStreamWrite, s.get());
        if (!silence) {
            pa_stream_set_state_callback(s->stream, &PulseAudioBackend::onStreamState, s.get());
            pa_stream_set_moved_callback(s->stream, &PulseAudioBackend::onStreamMoved, s.get());
        }
        connected = pa_stream_connect_playback(s->stream, m_device.isEmpty() ? nullptr : m_device.constData(),
                                               &buffer, flags, nullptr, nullptr) == 0;
    }
    if (!connected)
        tearDownLocked(*s); // refused at once
    pa_threaded_mainloop_unlock(m_loop);
    if (!connected)
        s.reset();
    return s;
}

void PulseAudioBackend::release()
{
    m_endTimer.stop();
    m_handedOver = false;
    release(m_stream);
}

void PulseAudioBackend::release(std::unique_ptr<Stream> &stream)
{
    if (!stream)
        return;
    pa_threaded_mainloop_lock(m_loop);
    tearDownLocked(*stream);
    pa_threaded_mainloop_unlock(m_loop);
    stream.reset();
}

void PulseAudioBackend::tearDownLocked(Stream &s)
{
    if (s.stream) {
        pa_stream_set_state_callback(s.stream, nullptr, nullptr);
        pa_stream_set_write_callback(s.stream, nullptr, nullptr);
        pa_stream_set_moved_callback(s.stream, nullptr, nullptr);
        if (pa_stream_get_state(s.stream) == PA_STREAM_CREATING) {
            // The server is still making it and cannot be told to drop it
            // yet: that happens as soon as it is made.
            pa_stream_set_state_callback(s.stream, &PulseAudioBackend::onAbandonedState, nullptr);
        } else {
            if (pa_stream_get_state(s.stream) == PA_STREAM_READY)
                pa_stream_disconnect(s.stream);
            pa_stream_unref(s.stream);
        }
        s.stream = nullptr;
    }
}

void PulseAudioBackend::onAbandonedState(pa_stream *stream, void *)
{
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        pa_stream_disconnect(stream);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        break;
    default:
        break;
    }
}

bool PulseAudioBackend::waitingAt(qint64 fromMs, size_t toByte)
{
    if (!m_stream || m_stream->fromMs != fromMs)
        return false;
    pa_threaded_mainloop_lock(m_loop);
    const bool waiting = !m_stream->started && !m_stream->lost && m_stream->cursor <= toByte;
    pa_threaded_mainloop_unlock(m_loop);
    return waiting;
}

void PulseAudioBackend::prepareNext()
{
    const qint64 at = m_position < m_wave.lengthMs() ? m_position : 0;
    if (!waitingAt(at, size_t(m_samples.size())) && !prepare(at))
        release();
}

bool PulseAudioBackend::play(qint64 fromMs, qint64 toMs)
{
    if (m_wave.bytesPerFrame() <= 0)
        return false;
    toMs = std::max(fromMs, toMs);
    const size_t toByte =
        std::min(size_t(m_wave.frameAtMs(toMs) * m_wave.bytesPerFrame()), size_t(m_samples.size()));
    const bool reuse = m_state == State::Stopped && waitingAt(fromMs, toByte);
    if (!reuse && !prepare(fromMs)) {
        m_state = State::Stopped;
        return false;
    }
    pa_threaded_mainloop_lock(m_loop);
    Stream &s = *m_stream;
    s.end = toByte;
    s.running = true;
    const bool ready = s.ready;
    if (ready)
        uncorkLocked(s);
    pa_threaded_mainloop_unlock(m_loop);
    m_from = fromMs;
    m_to = toMs;
    m_position = fromMs;
    m_state = State::Playing;
    // Not yet connected: the stream starts, and says so, once it is.
    if (ready)
        notifyFirstFrame();
    // The device is awake with this stream now. The silent one goes a
    // little later: at the start the six sound servers of an event have
    // the first samples to mix, not a stream to take down.
    m_awakeTimer.start(AwakeReleaseMs);
    return true;
}

void PulseAudioBackend::pause()
{
    if (m_state != State::Playing)
        return;
    m_position = position();
    m_endTimer.stop();
    pa_threaded_mainloop_lock(m_loop);
    m_stream->running = false;
    if (m_stream->ready)
        Unref(pa_stream_cork(m_stream->stream, 1, nullptr, nullptr));
    pa_threaded_mainloop_unlock(m_loop);
    m_state = State::Paused;
}

bool PulseAudioBackend::resume()
{
    if (m_state != State::Paused || !m_stream)
        return false;
    pa_threaded_mainloop_lock(m_loop);
    m_stream->running = true;
    if (m_stream->ready)
        uncorkLocked(*m_stream);
    pa_threaded_mainloop_unlock(m_loop);
    m_state = State::Playing;
    if (m_handedOver)
        armEndTimer();
    return true;
}

void PulseAudioBackend::stop()
{
    if (m_state == State::Stopped)
        return;
    m_position = position();
    release();
    m_state = State::Stopped;
    prepareNext();
}

void PulseAudioBackend::seek(qint64 ms)
{
    if (m_state != State::Stopped)
        release();
    m_state = State::Stopped;
    m_position = ms;
    if (m_wave.bytesPerFrame() > 0)
        prepareNext();
}

qint64 PulseAudioBackend::position()
{
    if (m_state == State::Stopped || !m_stream)
        return m_position;
    pa_usec_t played = 0;
    pa_threaded_mainloop_lock(m_loop);
    const bool known = m_stream->started && pa_stream_get_time(m_stream->stream, &played) == 0;
    pa_threaded_mainloop_unlock(m_loop);
    if (known)
        m_position = std::clamp(m_from + qint64(played / PA_USEC_PER_MSEC), m_position, m_to);
    return m_position;
}

AudioBackend::State PulseAudioBackend::state()
{
    return m_state;
}

QList<AudioBackend::Output> PulseAudioBackend::outputs()
{
    struct Query
    {
        pa_threaded_mainloop *loop;
        QList<Output> found;
        bool done = false;
    } query{m_loop, {}};
    pa_threaded_mainloop_lock(m_loop);
    pa_operation *operation = pa_context_get_sink_info_list(
        m_context,
        [](pa_context *, const pa_sink_info *sink, int last, void *data) {
            auto *q = static_cast<Query *>(data);
            if (last != 0 || !sink) {
                q->done = true;
                pa_threaded_mainloop_signal(q->loop, 0);
                return;
            }
            q->found.append({QString::fromUtf8(sink->name), QString::fromUtf8(sink->description)});
        },
        &query);
    if (operation) {
        waitLocked([&] { return query.done || !PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)); },
                   QueryTimeoutMs);
        if (!query.done)
            pa_operation_cancel(operation);
        pa_operation_unref(operation);
    }
    pa_threaded_mainloop_unlock(m_loop);
    return query.done ? query.found : QList<Output>();
}

void PulseAudioBackend::setOutput(const QString &id)
{
    m_device = id.toUtf8();
    if (!m_stream)
        return;
    if (m_state == State::Stopped) {
        const qint64 at = m_stream->fromMs;
        release(m_awake);
        if (!prepare(at))
            release();
        return;
    }
    // A play under way moves to the chosen sink; with no choice left it stays
    // where it is, and the next stream goes where the server sends it.
    pa_threaded_mainloop_lock(m_loop);
    m_stream->device = m_device;
    if (!m_device.isEmpty() && m_stream->ready)
        Unref(pa_context_move_sink_input_by_name(m_context, pa_stream_get_index(m_stream->stream),
                                                 m_device.constData(), nullptr, nullptr));
    pa_threaded_mainloop_unlock(m_loop);
}

void PulseAudioBackend::uncorkLocked(Stream &stream)
{
    Unref(pa_stream_cork(stream.stream, 0, nullptr, nullptr));
    stream.started = true;
    // A stretch shorter than the buffer is all handed over already.
    if (stream.cursor >= stream.end)
        handedOverLocked(stream);
}

void PulseAudioBackend::armEndTimer()
{
    // The server's clock says when the last sample has been heard.
    const qint64 left = m_to - position();
    m_endTimer.start(int(std::clamp<qint64>(left, 0, 1000)) + 1);
}

void PulseAudioBackend::finish()
{
    release();
    m_state = State::Stopped;
    m_position = m_to;
    notifyFinished();
    prepareNext();
}

void PulseAudioBackend::post(const Stream &stream, Event event)
{
    QMetaObject::invokeMethod(
        this, [this, id = stream.id, event] { onEvent(id, event); }, Qt::QueuedConnection);
}

void PulseAudioBackend::onEvent(quint64 stream, Event event)
{
    if (!m_stream || m_stream->id != stream)
        return; // a stream already let go
    switch (event) {
    case Event::Ready:
        if (m_state == State::Playing)
            notifyFirstFrame();
        break;
    case Event::HandedOver:
        m_handedOver = true;
        if (m_state == State::Playing)
            armEndTimer();
        break;
    case Event::Lost:
        // Tell the player while the position still says where we were.
        if (m_state != State::Stopped)
            notifyFailed();
        release();
        m_state = State::Stopped;
        break;
    }
}

// The server's thread, with the loop's lock held, from here on.

void PulseAudioBackend::onContextState(pa_context *, void *loop)
{
    pa_threaded_mainloop_signal(static_cast<pa_threaded_mainloop *>(loop), 0);
}

void PulseAudioBackend::onStreamState(pa_stream *stream, void *data)
{
    auto &s = *static_cast<Stream *>(data);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        s.ready = true;
        if (s.running) {
            s.owner->uncorkLocked(s);
            s.owner->post(s, Event::Ready);
        }
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        if (!s.lost) {
            s.lost = true;
            s.owner->post(s, Event::Lost);
        }
        break;
    default:
        break;
    }
}

void PulseAudioBackend::onStreamWrite(pa_stream *, size_t bytes, void *data)
{
    auto &s = *static_cast<Stream *>(data);
    s.owner->fillLocked(s, bytes);
}

void PulseAudioBackend::fillLocked(Stream &s, size_t bytes)
{
    if (s.silence) {
        void *data = nullptr;
        if (pa_stream_begin_write(s.stream, &data, &bytes) == 0 && data) {
            std::memset(data, s.sampleZero, bytes);
            pa_stream_write(s.stream, data, bytes, nullptr, 0, PA_SEEK_RELATIVE);
        }
        return;
    }
    const size_t count = std::min(bytes, s.end > s.cursor ? s.end - s.cursor : 0);
    // The server copies what it is given, so the samples stay ours.
    if (count > 0 &&
        pa_stream_write(s.stream, m_samples.constData() + s.cursor, count, nullptr, 0, PA_SEEK_RELATIVE) == 0)
        s.cursor += count;
    if (s.cursor >= s.end && s.started)
        handedOverLocked(s);
}

void PulseAudioBackend::handedOverLocked(Stream &s)
{
    if (s.allHandedOver)
        return;
    s.allHandedOver = true;
    s.owner->post(s, Event::HandedOver);
}

void PulseAudioBackend::onStreamMoved(pa_stream *stream, void *data)
{
    auto &s = *static_cast<Stream *>(data);
    // The chosen device went away and the server moved the stream elsewhere:
    // the player's sound is not where he wants it.
    const char *now = pa_stream_get_device_name(stream);
    if (!s.device.isEmpty() && (!now || s.device != now) && !s.lost) {
        s.lost = true;
        s.owner->post(s, Event::Lost);
    }
}
