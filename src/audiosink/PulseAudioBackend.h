#pragma once
// Plays wave files through the PulseAudio sound server (or PipeWire's
// PulseAudio service).
//
// A start must be cheap and even across the six positions of an event, so
// the output stream is opened when a wave is loaded, not when it is played:
// the stream is created corked and the server fills its buffer with the first
// samples of the wave. Play then only uncorks it, and the first sample is
// heard one device latency later, without the stream set-up (tens of
// milliseconds, hundreds on a server's first stream) in between. After a
// stop, a seek or the end of a stretch, the next stream is prepared in the
// same way at the position where the next play will start. While a prepared
// stream waits, a second one plays silence, so that the device stays awake
// (servers suspend idle devices) and its buffer stays short. The position
// is the server's own clock of the stream; the stretch has ended when that
// clock has passed its last sample.
//
// The whole sample data of a wave is read into memory at load, so the
// server's thread never touches the file. Every callback of the server's
// thread runs under the loop's lock and only reaches the station through
// events queued to this object, which carry the number of the stream they
// concern: a late event of a stream already let go is dropped, and a stream
// is torn down (its callbacks cleared; one still being made is dropped as
// soon as the server has made it) under the same lock, so the server's thread can never call into a stream,
// or a backend, that is gone.
//
// The output device is the sink the player chose, or none: then the server
// routes the stream (its default device, or PULSE_SINK).

#include "util/AudioBackend.h"
#include "util/WaveFile.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <memory>

struct pa_context;
struct pa_operation;
struct pa_stream;
struct pa_threaded_mainloop;

class PulseAudioBackend final : public QObject, public AudioBackend
{
public:
    // Connects to the sound server; null when there is none (or it does not
    // answer within a couple of seconds).
    static std::unique_ptr<PulseAudioBackend> connect();
    ~PulseAudioBackend() override;

    bool load(const WaveFile &wave) override;
    void unload() override;
    bool play(qint64 fromMs, qint64 toMs) override;
    void pause() override;
    bool resume() override;
    void stop() override;
    void seek(qint64 ms) override;
    qint64 position() override;
    State state() override;

    QList<Output> outputs() override;
    void setOutput(const QString &id) override;

private:
    struct Stream;
    enum class Event
    {
        Ready,
        HandedOver,
        Lost
    };

    PulseAudioBackend(pa_threaded_mainloop *loop, pa_context *context);

    // Waits on the loop (its lock held) until `done` or `timeoutMs` passed.
    template <typename Done> bool waitLocked(Done done, int timeoutMs);
    // A new corked stream at `fromMs`, filled by the server as it asks; null
    // when the server refuses it.
    bool prepare(qint64 fromMs);
    // Lets the current stream go; no callback of it runs afterwards.
    void release();
    void release(std::unique_ptr<Stream> &stream);
    std::unique_ptr<Stream> openStream(qint64 fromMs, bool silence);
    static void tearDownLocked(Stream &stream);
    void handedOverLocked(Stream &stream);
    void armEndTimer();
    void finish();
    void uncorkLocked(Stream &stream);
    // Whether the wave's stream waits, never played, to play from `fromMs`
    // and has handed over no more than `toByte`.
    bool waitingAt(qint64 fromMs, size_t toByte);
    // Prepares the next stream at the position a play without a start uses.
    void prepareNext();
    void onEvent(quint64 stream, Event event);
    void post(const Stream &stream, Event event);

    static void onContextState(pa_context *context, void *self);
    static void onStreamState(pa_stream *stream, void *data);
    static void onStreamWrite(pa_stream *stream, size_t bytes, void *data);
    static void onStreamMoved(pa_stream *stream, void *data);
    static void onAbandonedState(pa_stream *stream, void *);
    void fillLocked(Stream &stream, size_t bytes);

    pa_threaded_mainloop *m_loop;
    pa_context *m_context;
    QByteArray m_device; // the chosen sink; empty: the server decides
    WaveFile m_wave;
    QByteArray m_samples;
    std::unique_ptr<Stream> m_stream; // the wave's, prepared or playing
    std::unique_ptr<Stream> m_awake;  // silence while the wave's waits
    quint64 m_streamCount = 0;
    State m_state = State::Stopped;
    qint64 m_from = 0;
    qint64 m_to = 0;
    qint64 m_position = 0;     // while stopped; while playing, the last one seen
    bool m_handedOver = false; // the playing stream has all its samples
    QTimer m_endTimer;
    QTimer m_awakeTimer; // lets the silent stream go once a play has started
};
