#pragma once
// What the wave player needs from an audio device: load one wave file, play a
// stretch of it without waiting, pause, resume, stop and say where it is.
// Positions are milliseconds from the start of the file. A backend reports
// three moments through callbacks: the first audio frame of a Play handed to
// the device (for start-latency measurements), the end of the stretch, and a
// device failure while playing or paused (reported while state() and
// position() still tell where it was, so the player can carry on without
// sound). A sound device may offer a choice of outputs.

#include <QList>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <utility>

class WaveFile;

class AudioBackend
{
public:
    enum class State
    {
        Stopped,
        Playing,
        Paused
    };

    // One output a sound device can play on: its id, and what the player
    // sees (the device's own description).
    struct Output
    {
        QString id;
        QString description;
    };

    struct Events
    {
        std::function<void()> firstFrame;
        std::function<void()> finished;
        std::function<void()> failed;
    };

    virtual ~AudioBackend() = default;

    // Takes the file, stopping and dropping any other; false when the device
    // cannot play it (it then holds no file).
    virtual bool load(const WaveFile &wave) = 0;
    virtual void unload() = 0;
    // Plays from `fromMs` up to `toMs` (both within the file); false when the
    // device could not start, in which case nothing plays.
    virtual bool play(qint64 fromMs, qint64 toMs) = 0;
    virtual void pause() = 0;
    // Continues after pause(); false when there is nothing to continue.
    virtual bool resume() = 0;
    // Stops; the position stays where playing stopped.
    virtual void stop() = 0;
    // Stops and moves to `ms`.
    virtual void seek(qint64 ms) = 0;
    // These two may notice that the stretch has ended and report it.
    virtual qint64 position() = 0;
    virtual State state() = 0;

    // The outputs there are now; empty when there is no choice.
    virtual QList<Output> outputs() { return {}; }
    // Plays on the output `id` from now on (a play under way moves there); an
    // empty id leaves the choice to the system.
    virtual void setOutput(const QString &) {}

    void setEvents(Events events) { m_events = std::move(events); }

protected:
    void notifyFirstFrame() const { call(m_events.firstFrame); }
    void notifyFinished() const { call(m_events.finished); }
    void notifyFailed() const { call(m_events.failed); }

private:
    static void call(const std::function<void()> &f)
    {
        if (f)
            f();
    }
    Events m_events;
};
