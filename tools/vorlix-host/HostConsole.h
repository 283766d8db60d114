#pragma once
// The host without a window: it drives a HostEngine from command lines
// ("wave", "send", "start", "score"...), one a line, typed or read from a
// script on standard input, and prints what the engine reports: its events
// as lines of output, its problems as lines of errors ("problem: ..."), the
// ranking after scoring. A line the console cannot take (an unknown command,
// a missing or extra argument, an unclosed quote) gets one line of errors and
// changes nothing. "wait N" holds the following lines for N seconds of the
// console's clock tick, so a script can let the stations answer or a test
// play. It also calls the engine's tick() once a second.
//
// Output goes to two callbacks, so tests read it without a process.

#include <QObject>
#include <QString>
#include <QStringDecoder>
#include <QTimer>

#include <functional>
#include <memory>

class HostEngine;
class QSocketNotifier;

class HostConsole : public QObject
{
    Q_OBJECT

public:
    using LineSink = std::function<void(const QString &line)>;

    // A command line taken apart. `error` set: the line is refused.
    struct Command
    {
        enum class Kind
        {
            Nothing, // an empty line or a comment ("# ...")
            Wave,
            Send,
            Welcome,
            Demo,
            StopDemo,
            Start,
            Pause,
            Resume,
            Submit,
            Score,
            Reset,
            Status,
            Help,
            Wait,
            Quit,
        };
        Kind kind = Kind::Nothing;
        QString wavePath;      // Wave: resolved against the data folder
        QString checkListPath; // Wave: likewise
        int seconds = 0;       // Demo: the interval; Wait: how long
        QString error;
    };

    // `dataFolder`: where relative file names are looked for. `out` takes
    // the lines of output, `err` the lines of errors.
    HostConsole(HostEngine &engine, const QString &dataFolder, LineSink out, LineSink err,
                QObject *parent = nullptr);
    ~HostConsole() override;

    // Reads a command line: words separated by blanks; "double" or 'single'
    // quotes keep blanks inside a word. Command names ignore letter case.
    static Command Parse(const QString &line, const QString &dataFolder);

    // Carries out one command line at once (a "wait" only holds the lines
    // given to Input). True when the command was understood and the engine
    // (if it was asked) took the step.
    bool Execute(const QString &line);

    // Text read from the input; each whole line is executed in turn unless a
    // "wait" holds it.
    void Input(const QString &text);
    // The input has ended: the lines left (and a last line without its line
    // end) are executed, then the console is finished.
    void EndOfInput();
    // Reads input from the file descriptor (0: standard input) as it
    // arrives, without blocking the event loop; end of file ends the input.
    void readFrom(int fd);

    // Once a second (tmTick): the engine's tick and the count of a "wait".
    void Tick();
    QTimer tmTick;

    // The commands and what they do, one a line.
    static QStringList HelpLines();

    bool isFinished() const { return m_finished; }

signals:
    // "quit" was given, or the input ended and all of it was carried out.
    void finished();

private:
    void runPending();
    void finish();
    void readInput();
    void printStatus();
    void printRanking();

    HostEngine &m_engine;
    QString m_dataFolder;
    LineSink m_out;
    LineSink m_err;
    QString m_pending;
    int m_waitSeconds = 0;
    bool m_inputEnded = false;
    bool m_finished = false;
    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QStringDecoder m_decoder{QStringDecoder::Utf8};
};
