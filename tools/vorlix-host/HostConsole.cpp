#include "HostConsole.h"

#include "HostDisplay.h"
#include "HostEngine.h"

#include <QDir>
#include <QSocketNotifier>

#include <cerrno>
#include <optional>
#include <unistd.h>

namespace {

using Kind = HostConsole::Command::Kind;

struct CommandInfo
{
    const char *name;
    Kind kind;
    const char *arguments; // as shown in the usage
    const char *meaning;
};

const CommandInfo kCommands[] = {
    {"wave", Kind::Wave, "<wave file> <check list>", "choose the recording and its check list"},
    {"send", Kind::Send, "", "send the wave file's name to the stations and have them check it"},
    {"welcome", Kind::Welcome, "", "play the welcome recording (at stations with no player registered)"},
    {"demo", Kind::Demo, "[seconds]", "start a demonstration: 90 s in, a call every so many seconds (10)"},
    {"stopdemo", Kind::StopDemo, "", "end the demonstration"},
    {"start", Kind::Start, "", "start the test at every ready station"},
    {"pause", Kind::Pause, "", "pause the test"},
    {"resume", Kind::Resume, "", "resume the test"},
    {"submit", Kind::Submit, "", "make every station submit its log now"},
    {"score", Kind::Score, "", "score and rank the players, and show the ranking"},
    {"reset", Kind::Reset, "", "reset the stations for a new round"},
    {"status", Kind::Status, "", "show every position and the stage of the round"},
    {"wait", Kind::Wait, "<seconds>", "hold the following lines for so many seconds"},
    {"help", Kind::Help, "", "show these commands"},
    {"quit", Kind::Quit, "", "end the host"},
};

constexpr int kLongestWait = 24 * 3600;

QString Usage(const CommandInfo &info)
{
    const QString arguments = QString::fromLatin1(info.arguments);
    return arguments.isEmpty() ? QString::fromLatin1(info.name)
                               : QString::fromLatin1(info.name) + u' ' + arguments;
}

// The words of a line: blanks separate them, and a quoted stretch ("..." or
// '...') belongs to the word it stands in, blanks and all, without its
// quotes. Nothing when a quote is not closed.
std::optional<QStringList> SplitWords(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    QChar quote;
    for (const QChar c : line) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                word += c;
        } else if (c == u'"' || c == u'\'') {
            quote = c;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << std::exchange(word, QString());
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (!quote.isNull())
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

// A whole number in [least, most] for `what`, or an error.
std::optional<int> NumberArgument(const QString &text, int least, int most)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < least || value > most)
        return std::nullopt;
    return value;
}

} // namespace

HostConsole::HostConsole(HostEngine &engine, const QString &dataFolder, LineSink out, LineSink err,
                         QObject *parent)
    : QObject(parent), m_engine(engine), m_dataFolder(dataFolder), m_out(std::move(out)),
      m_err(std::move(err))
{
    connect(&m_engine, &HostEngine::event, this, [this](const QString &text) { m_out(text); });
    connect(&m_engine, &HostEngine::problem, this,
            [this](const QString &text) { m_err(QStringLiteral("problem: ") + text); });
    connect(&m_engine, &HostEngine::stageChanged, this, [this](HostEngine::Stage stage) {
        m_out(QStringLiteral("Stage: ") + HostDisplay::StageName(stage));
    });
    tmTick.setInterval(1000);
    connect(&tmTick, &QTimer::timeout, this, &HostConsole::Tick);
    tmTick.start();
}

HostConsole::~HostConsole() = default;

HostConsole::Command HostConsole::Parse(const QString &line, const QString &dataFolder)
{
    Command command;
    const std::optional<QStringList> words = SplitWords(line);
    if (!words) {
        command.error = QStringLiteral("unclosed quote in: %1").arg(line.trimmed());
        return command;
    }
    if (words->isEmpty() || words->first().startsWith(u'#'))
        return command;

    const QString name = words->first().toLower();
    const QStringList arguments = words->mid(1);
    const CommandInfo *info = nullptr;
    for (const CommandInfo &candidate : kCommands) {
        if (name == QLatin1String(candidate.name))
            info = &candidate;
    }
    if (!info) {
        command.error =
            QStringLiteral("unknown command \"%1\" (help lists the commands)").arg(words->first());
        return command;
    }

    const auto refuse = [&](const QString &why) {
        command.error = QStringLiteral("%1: %2; usage: %3").arg(QLatin1String(info->name), why, Usage(*info));
        return command;
    };
    switch (info->kind) {
    case Kind::Wave:
        if (arguments.size() != 2)
            return refuse(QStringLiteral("needs a wave file and a check list"));
        for (const QString &path : arguments) {
            if (path.isEmpty())
                return refuse(QStringLiteral("an empty file name"));
        }
        command.wavePath = QDir::cleanPath(QDir(dataFolder).absoluteFilePath(arguments[0]));
        command.checkListPath = QDir::cleanPath(QDir(dataFolder).absoluteFilePath(arguments[1]));
        break;
    case Kind::Demo:
        command.seconds = HostProtocol::DemoIntervalDefault;
        if (arguments.size() > 1)
            return refuse(QStringLiteral("takes at most one number"));
        if (arguments.size() == 1) {
            const std::optional<int> seconds = NumberArgument(arguments[0], HostProtocol::DemoIntervalMinimum,
                                                              HostProtocol::DemoIntervalMaximum);
            if (!seconds)
                return refuse(QStringLiteral("the seconds must be a whole number from %1 to %2")
                                  .arg(HostProtocol::DemoIntervalMinimum)
                                  .arg(HostProtocol::DemoIntervalMaximum));
            command.seconds = *seconds;
        }
        break;
    case Kind::Wait: {
        if (arguments.size() != 1)
            return refuse(QStringLiteral("needs a number of seconds"));
        const std::optional<int> seconds = NumberArgument(arguments[0], 0, kLongestWait);
        if (!seconds)
            return refuse(
                QStringLiteral("the seconds must be a whole number from 0 to %1").arg(kLongestWait));
        command.seconds = *seconds;
        break;
    }
    default:
        if (!arguments.isEmpty())
            return refuse(QStringLiteral("takes no arguments"));
        break;
    }
    command.kind = info->kind;
    return command;
}

bool HostConsole::Execute(const QString &line)
{
    const Command command = Parse(line, m_dataFolder);
    if (!command.error.isEmpty()) {
        m_err(command.error);
        return false;
    }
    switch (command.kind) {
    case Kind::Nothing:
        return true;
    case Kind::Wave:
        return m_engine.chooseWave(command.wavePath, command.checkListPath);
    case Kind::Send:
        return m_engine.sendWave();
    case Kind::Welcome:
        return m_engine.playWelcome();
    case Kind::Demo:
        return m_engine.startDemo(command.seconds);
    case Kind::StopDemo:
        return m_engine.stopDemo();
    case Kind::Start:
        return m_engine.startTest();
    case Kind::Pause:
        return m_engine.pauseTest();
    case Kind::Resume:
        return m_engine.resumeTest();
    case Kind::Submit:
        return m_engine.forceSubmit();
    case Kind::Score:
        if (!m_engine.score())
            return false;
        printRanking();
        return true;
    case Kind::Reset:
        return m_engine.reset();
    case Kind::Status:
        printStatus();
        return true;
    case Kind::Help:
        for (const QString &helpLine : HelpLines())
            m_out(helpLine);
        return true;
    case Kind::Wait:
        m_waitSeconds = command.seconds;
        return true;
    case Kind::Quit:
        finish();
        return true;
    }
    return false;
}

void HostConsole::Input(const QString &text)
{
    m_pending += text;
    runPending();
}

void HostConsole::EndOfInput()
{
    m_inputEnded = true;
    runPending();
}

void HostConsole::runPending()
{
    while (!m_finished && m_waitSeconds == 0) {
        const qsizetype end = m_pending.indexOf(u'\n');
        if (end < 0)
            break;
        QString line = m_pending.left(end);
        m_pending.remove(0, end + 1);
        if (line.endsWith(u'\r'))
            line.chop(1);
        Execute(line);
    }
    if (m_finished || m_waitSeconds > 0 || !m_inputEnded)
        return;
    if (!m_pending.isEmpty())
        Execute(std::exchange(m_pending, QString()));
    if (m_waitSeconds == 0)
        finish();
}

void HostConsole::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_notifier)
        m_notifier->setEnabled(false);
    emit finished();
}

void HostConsole::readFrom(int fd)
{
    m_fd = fd;
    m_notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &HostConsole::readInput);
}

void HostConsole::readInput()
{
    char buffer[4096];
    const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
    if (n > 0) {
        Input(m_decoder.decode(QByteArrayView(buffer, n)));
        return;
    }
    if (n < 0 && (errno == EINTR || errno == EAGAIN))
        return;
    m_notifier->setEnabled(false);
    EndOfInput();
}

void HostConsole::Tick()
{
    m_engine.tick();
    if (m_waitSeconds > 0 && --m_waitSeconds == 0)
        runPending();
}

QStringList HostConsole::HelpLines()
{
    QStringList lines;
    for (const CommandInfo &info : kCommands)
        lines << QStringLiteral("  %1  %2").arg(Usage(info), -34).arg(QLatin1String(info.meaning));
    lines << QStringLiteral(
        "File names are read in the data folder unless absolute; quote names with blanks.");
    return lines;
}

void HostConsole::printStatus()
{
    for (const HostEngine::Position &position : m_engine.positions())
        m_out(HostDisplay::PositionLine(position));
    QString stage = QStringLiteral("Stage: ") + HostDisplay::StageName(m_engine.stage());
    if (m_engine.stage() == HostEngine::Stage::Running || m_engine.stage() == HostEngine::Stage::Paused)
        stage += QStringLiteral(", %1 left").arg(HostDisplay::CountdownText(m_engine.remainingSeconds()));
    if (const int waiting = m_engine.waitingStations(); waiting > 0)
        stage += QStringLiteral(", %1 station(s) waiting for a position").arg(waiting);
    m_out(stage);
}

void HostConsole::printRanking()
{
    m_out(QStringLiteral("Ranking:"));
    for (const QString &line : m_engine.ranking())
        m_out(HostDisplay::RankingLine(line));
}
