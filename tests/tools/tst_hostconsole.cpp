// The competition host's console and window around its engine: command lines
// read, refused or held as the organiser means them; the steps offered at
// each stage of a round; the window's table, buttons, keys and event log
// following what the engine reports.

#include "FakeHost.h"
#include "HostConsole.h"
#include "HostDisplay.h"
#include "HostEngine.h"
#include "TempBase.h"
#include "TfmHost.h"
#include "util/Clock.h"

#include "ui_TfmHost.h"

#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTextBlock>
#include <QtTest>

#include <unistd.h>

using HostDisplay::Step;
using Stage = HostEngine::Stage;
using Kind = HostConsole::Command::Kind;

class TestHostConsole : public QObject
{
    Q_OBJECT

private slots:
    void consoleReadsRefusesAndHoldsCommands();
    void windowOffersTheStepsOfTheStageAndShowsTheEngine();
};

void TestHostConsole::consoleReadsRefusesAndHoldsCommands()
{
    TempBase base;
    ManualClock clock;
    HostEngine engine(clock, base.path());
    QStringList out, err;
    HostConsole console(
        engine, base.path(), [&out](const QString &line) { out << line; },
        [&err](const QString &line) { err << line; });
    console.tmTick.stop();
    QSignalSpy finished(&console, &HostConsole::finished);

    // Names with blanks in either kind of quote; relative names lie in the
    // data folder, absolute ones stay; command names ignore letter case.
    HostConsole::Command c = HostConsole::Parse(R"(  WAVE "Pile up.wav"  'lists/Check list.txt')", "/data");
    QCOMPARE(c.kind, Kind::Wave);
    QVERIFY(c.error.isEmpty());
    QCOMPARE(c.wavePath, QStringLiteral("/data/Pile up.wav"));
    QCOMPARE(c.checkListPath, QStringLiteral("/data/lists/Check list.txt"));
    c = HostConsole::Parse("wave /srv/round1.wav x\"y z\".txt", "/data");
    QCOMPARE(c.wavePath, QStringLiteral("/srv/round1.wav"));
    QCOMPARE(c.checkListPath, QStringLiteral("/data/xy z.txt"));
    QCOMPARE(HostConsole::Parse("demo", "/data").seconds, HostProtocol::DemoIntervalDefault);
    QCOMPARE(HostConsole::Parse("demo 25", "/data").seconds, 25);
    QCOMPARE(HostConsole::Parse("Stopdemo", "/data").kind, Kind::StopDemo);
    QCOMPARE(HostConsole::Parse("   ", "/data").kind, Kind::Nothing);
    QCOMPARE(HostConsole::Parse("# round two", "/data").kind, Kind::Nothing);

    // Refused lines: one line of errors naming the trouble, nothing printed,
    // nothing asked of the engine.
    const QList<std::pair<QString, QString>> refused = {
        {"dance", "unknown command \"dance\""},
        {"wave Pileup.wav", "needs a wave file and a check list"},
        {"wave a.wav b.txt c.txt", "needs a wave file and a check list"},
        {"wave \"Pile up.wav b.txt", "unclosed quote"},
        {"wave \"\" b.txt", "empty file name"},
        {"send now", "takes no arguments"},
        {"demo 0", "whole number from 1 to 3600"},
        {"demo 5 6", "at most one number"},
        {"wait", "needs a number of seconds"},
        {"wait -1", "whole number from 0"},
        {"wait ten", "whole number from 0"},
    };
    for (const auto &[line, why] : refused) {
        err.clear();
        QVERIFY2(!console.Execute(line), qPrintable(line));
        QCOMPARE(err.size(), 1);
        QVERIFY2(err[0].contains(why), qPrintable(err[0]));
        QVERIFY2(out.isEmpty(), qPrintable(out.join('|')));
    }
    QCOMPARE(engine.stage(), Stage::Idle);
    err.clear();

    // Help names every command.
    QVERIFY(console.Execute("help"));
    for (const char *name : {"wave", "send", "welcome", "demo", "stopdemo", "start", "pause", "resume",
                             "submit", "score", "reset", "status", "wait", "help", "quit"})
        QVERIFY2(out.join('\n').contains(QStringLiteral("  %1").arg(QLatin1String(name))), name);
    out.clear();

    // Input runs whole lines only (CR LF or LF); status is a line for each
    // position and one for the round; "wait" holds the rest for its seconds
    // of ticks; "quit" ends the console and what follows is not read; the
    // engine's problems come out marked.
    const auto statuses = [&out] { return out.filter(QRegularExpression("^Position 1: ")).size(); };
    console.Input("status\r\nwait 2\nstat");
    QCOMPARE(out.size(), HostEngine::Positions + 1);
    QVERIFY2(out[0].startsWith("Position 1: Free") && out[5].startsWith("Position 6: "),
             qPrintable(out.join('|')));
    QCOMPARE(out[6], QStringLiteral("Stage: Idle"));
    console.Input("us\n");
    console.Tick();
    QCOMPARE(statuses(), 1);
    console.Tick();
    QCOMPARE(statuses(), 2);
    emit engine.problem("Position 4 did not answer");
    QCOMPARE(err.last(), QStringLiteral("problem: Position 4 did not answer"));
    console.Input("quit\nstatus\n");
    QCOMPARE(finished.size(), 1);
    QCOMPARE(statuses(), 2);
    QVERIFY(console.isFinished());
    console.EndOfInput();
    QCOMPARE(finished.size(), 1);

    // Read from a descriptor as the program reads standard input: lines as
    // they come, in pieces; the end of the pipe ends the input, which runs a
    // last line without its line end and then finishes, a pending wait first.
    {
        int pipeEnds[2];
        QCOMPARE(::pipe(pipeEnds), 0);
        HostConsole piped(
            engine, base.path(), [&out](const QString &line) { out << line; },
            [&err](const QString &line) { err << line; });
        piped.tmTick.stop();
        QSignalSpy pipeDone(&piped, &HostConsole::finished);
        piped.readFrom(pipeEnds[0]);
        out.clear();
        QCOMPARE(::write(pipeEnds[1], "sta", 3), 3);
        QCoreApplication::processEvents();
        QCOMPARE(statuses(), 0);
        QCOMPARE(::write(pipeEnds[1], "tus\nwait 1\nstatus", 17), 17);
        QTRY_COMPARE(statuses(), 1);
        ::close(pipeEnds[1]);
        QTest::qWait(100); // the end of the pipe is read; the wait still holds the last line
        QCOMPARE(pipeDone.size(), 0);
        QCOMPARE(statuses(), 1);
        piped.Tick();
        QCOMPARE(statuses(), 2);
        QCOMPARE(pipeDone.size(), 1);
        ::close(pipeEnds[0]);
    }

    // A round driven from the console with one station: the quoted names
    // reach the station whole, each step is taken, the ranking follows the
    // scoring, and a step out of turn is the engine's problem, not a crash.
    QVERIFY(engine.listen(QHostAddress::LocalHost, 0));
    base.Write("Pile up.wav", MakeWave(8000, 16, 1, 3000));
    base.WriteLines("Pile up calls.txt", {"DL1ABC", "K5XX"});
    RawStation station(engine.port());
    station.send(";CONNECT_POSITION:Position 2;");
    QVERIFY(station.waitFor(";POSITION_ACCEPTED:"));
    station.send(";REGISTER_PLAYER:K5XX,COMPUTERLOG;");
    QVERIFY(station.waitFor(";PLAYER_ACCEPTED:"));
    err.clear();
    QVERIFY(console.Execute(R"(wave "Pile up.wav" 'Pile up calls.txt')"));
    QVERIFY(console.Execute("send"));
    QVERIFY(station.waitFor(Ended({";SET_WAVEFILE:Pile up.wav", ";VALIDATE_WAVEFILE:Pile up.wav"})));
    station.send(";WAVEFILE_STATUS:FILE_OK;");
    QTRY_COMPARE(engine.positions()[1].waveStatus, QStringLiteral("FILE_OK"));
    QVERIFY(console.Execute("start"));
    station.send(";LOG_CALL:DL1ABC;LOG_CALL:XX9XX;");
    QTRY_COMPARE(engine.positions()[1].calls, 2); // taken only from a started station
    QVERIFY(console.Execute("submit"));
    station.send(";FINALIZE_LOG:;");
    QTRY_VERIFY(engine.positions()[1].finalized);
    out.clear();
    QVERIFY(console.Execute("score"));
    const qsizetype ranking = out.indexOf("Ranking:");
    QVERIFY2(ranking >= 0 && ranking + 1 < out.size(), qPrintable(out.join('\n')));
    QCOMPARE(out[ranking + 1], QStringLiteral("1  Position 2  K5XX  Computer  1 calls  6 chars"));
    QVERIFY2(err.isEmpty(), qPrintable(err.join('\n')));
    QVERIFY(!console.Execute("pause"));
    QCOMPARE(err.size(), 1);
    QVERIFY2(err[0].startsWith("problem: "), qPrintable(err[0]));
}

void TestHostConsole::windowOffersTheStepsOfTheStageAndShowsTheEngine()
{
    HostEngine::Position position;
    position.name = "Position 3";
    position.link = HostEngine::Link::Lost;
    position.call = "K5XX";
    position.method = HostProtocol::LogMethod::Paper;
    position.waveStatus = "FILE_OK";
    position.calls = 12;
    QCOMPARE(HostDisplay::PositionCells(position),
             (QStringList{"Position 3", "K5XX", "Paper", "Lost", "FILE_OK", "12"}));
    QCOMPARE(HostDisplay::PositionLine(position),
             QStringLiteral("Position 3: Lost, K5XX, Paper, FILE_OK, 12 calls"));
    QCOMPARE(HostDisplay::RankingCells("1,Position 2,K5XX"),
             (QStringList{"1", "Position 2", "K5XX", "", "", ""}));
    QCOMPARE(HostDisplay::RankingLine("PAPER,Position 4,DL1ABC,Paper,,"),
             QStringLiteral("PAPER  Position 4  DL1ABC  Paper"));
    QCOMPARE(HostDisplay::CountdownText(305), QStringLiteral("05:05"));
    QCOMPARE(HostDisplay::CountdownText(6000), QStringLiteral("100:00"));
    QCOMPARE(HostDisplay::CountdownText(-3), QStringLiteral("00:00"));

    TempBase base;
    base.Write("Pileup.wav", MakeWave(8000, 16, 1, 2000));
    base.WriteLines("PileupCalls.txt", {"K5XX", "DL1ABC"});
    ManualClock clock;
    HostEngine engine(clock, base.path());
    TfmHost window(engine, clock, base.path());
    window.tmTick.stop();
    Ui::TfmHost *ui = window.ui();
    QStringList chooserFolders;
    std::optional<TfmHost::WaveChoice> choice;
    window.setWaveChooser([&](QWidget *, const QString &folder) {
        chooserFolders << folder;
        return choice;
    });

    // The table shows every position as the engine holds it, row by row,
    // and a position is shown again when the engine says it changed.
    QCOMPARE(ui->lvPositions->rowCount(), HostEngine::Positions);
    const auto row = [&](int r) {
        QStringList cells;
        for (int column = 0; column < ui->lvPositions->columnCount(); ++column)
            cells << ui->lvPositions->item(r, column)->text();
        return cells;
    };
    const auto free = [](int r) {
        return QStringList{QStringLiteral("Position %1").arg(r + 1), "", "", "Free", "", ""};
    };
    for (int r = 0; r < HostEngine::Positions; ++r)
        QCOMPARE(row(r), free(r));
    ui->lvPositions->item(2, 1)->setText("stale");
    emit engine.positionChanged(2);
    QCOMPARE(row(2), free(2));

    // Every step has its own key (the Alt keys are checked with the window's
    // other controls); the buttons enabled are those of the stage the engine
    // reports.
    QSet<QKeySequence> keys;
    const Step all[] = {Step::ChooseWave, Step::SendWave,  Step::Welcome, Step::StartDemo,
                        Step::StopDemo,   Step::StartTest, Step::Pause,   Step::Resume,
                        Step::Submit,     Step::Score,     Step::Reset};
    const auto enabledSteps = [&] {
        HostDisplay::Steps steps;
        for (const Step step : all) {
            if (window.buttonOf(step)->isEnabled())
                steps |= step;
        }
        return steps;
    };
    for (const Step step : all)
        keys << TfmHost::ShortcutOf(step);
    QCOMPARE(keys.size(), 11);
    QVERIFY(!keys.contains(QKeySequence()));
    QCOMPARE(enabledSteps(), Step::ChooseWave | Step::Welcome | Step::Reset);

    // Keys press only enabled buttons; choosing goes through the seam,
    // starting in the data folder, and a cancelled choice changes nothing.
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy startClicks(ui->bnStartTest, &QPushButton::clicked);
    QTest::keyClick(&window, Qt::Key_F5);
    QCOMPARE(startClicks.size(), 0);
    QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier);
    QCOMPARE(chooserFolders, QStringList{base.path()});
    QVERIFY(!ui->bnSendWave->isEnabled());
    QCOMPARE(ui->lbWave->text(), QStringLiteral("No wave file chosen"));

    // A chosen wave file can be sent at once (the engine must take it).
    choice = TfmHost::WaveChoice{base.file("Pileup.wav"), base.file("PileupCalls.txt")};
    ui->bnChooseWave->click();
    QVERIFY2(enabledSteps() == (Step::ChooseWave | Step::SendWave | Step::Welcome | Step::Reset),
             qPrintable(ui->moEvents->toPlainText()));
    QCOMPARE(ui->lbWave->text(), QStringLiteral("Pileup.wav with PileupCalls.txt"));
    ui->bnSendWave->click();
    QCOMPARE(engine.stage(), Stage::WaveSet);

    // The steps of each later stage: a round only goes forward through them,
    // and a test or demonstration is ended before a reset, so no log is lost.
    const QList<std::pair<Stage, HostDisplay::Steps>> later = {
        {Stage::WaveSet,
         Step::ChooseWave | Step::SendWave | Step::Welcome | Step::StartDemo | Step::StartTest | Step::Reset},
        {Stage::Demo, Step::StopDemo},
        {Stage::Running, Step::Pause | Step::Submit},
        {Stage::Paused, Step::Resume | Step::Submit},
        {Stage::Submitted, Step::Score | Step::Reset},
        {Stage::Scored, Step::Score | Step::Reset},
    };
    for (const auto &[stage, steps] : later) {
        emit engine.stageChanged(stage);
        QCOMPARE(enabledSteps(), steps);
        QCOMPARE(ui->sbDemoSeconds->isEnabled(), steps.testFlag(Step::StartDemo));
        QCOMPARE(ui->lbStage->text(), HostDisplay::StageName(stage));
    }
    emit engine.stageChanged(engine.stage());
    QCOMPARE(ui->lbCountdown->text(), HostDisplay::CountdownText(engine.remainingSeconds()));
    QTest::keyClick(&window, Qt::Key_F5);
    QCOMPARE(startClicks.size(), 1);

    // Closing in the middle of a round asks first; between rounds it does not.
    QStringList questions;
    bool quit = false;
    window.setConfirmer([&](QWidget *, const QString &question) {
        questions << question;
        return quit;
    });
    QVERIFY(window.close());
    QVERIFY(questions.isEmpty());
    window.show();
    ui->bnStartDemo->click();
    QCOMPARE(engine.stage(), Stage::Demo);
    QVERIFY(!window.close());
    QVERIFY(window.isVisible());
    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].contains("demonstration"), qPrintable(questions[0]));
    quit = true;
    QVERIFY(window.close());

    // Events come with the clock's time; problems are marked and red.
    emit engine.event("Position 2: K5XX registered");
    emit engine.problem("Position 4 is not ready");
    const QStringList lines = ui->moEvents->toPlainText().split('\n');
    QVERIFY(lines.contains("14:07:00 Position 2: K5XX registered"));
    QCOMPARE(lines.last(), QStringLiteral("14:07:00 problem: Position 4 is not ready"));
    QTextCursor last(ui->moEvents->document()->lastBlock());
    last.movePosition(QTextCursor::EndOfBlock);
    QCOMPARE(last.charFormat().foreground().color(), QColor(0xc0, 0, 0));
}

QTEST_MAIN(TestHostConsole)
#include "tst_hostconsole.moc"
