// Draws the replay of "Lakemont 2012" two minutes in (a competitor chosen,
// a practice run of the player's own) and its rate review with an interval
// selected, and the competition host's window a minute into a test at five
// stations, from the real windows on a copy of the sample data, and saves
// them as PNG files.
//
//   vorlix-screenshots <output folder>

#include "HostEngine.h"
#include "TfmHost.h"
#include "hostlink/TfmConnect.h"
#include "logentry/TfmLogQuery.h"
#include "practice/TfmNewCase.h"
#include "practice/TfmPracticeScores.h"
#include "replay/ReplayEntry.h"
#include "replay/TfmReplay.h"
#include "replay/TfmReviewRates.h"
#include "session/NewCaseFlow.h"
#include "session/TfmMain.h"
#include "ui/Dialogs.h"
#include "ui_TfmLogQuery.h"
#include "ui_TfmMain.h"
#include "ui_TfmNewCase.h"
#include "ui_TfmPracticeScores.h"
#include "ui_TfmReplay.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
#include "util/LogScoring.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"
#include "util/WavePlayer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <map>

namespace {

// Saves each modal window's picture instead of waiting for a user: a window
// of a kind named in `files` is drawn once shown (after its `before` step);
// the logging question is answered "computer", a Yes/No question Yes.
class PictureDialogs : public Dialogs
{
public:
    QString folder;
    std::map<QString, QString> files; // class name -> picture file
    std::map<QString, std::function<void(QDialog *)>> before;
    bool ok = true;

    int RunMessage(QWidget *, const QString &text, const QString &, Icon, int buttons) override
    {
        if (buttons & Yes)
            return Yes;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Ok;
    }
    int RunModal(QDialog *dialog) override
    {
        const QString kind = QString::fromLatin1(dialog->metaObject()->className());
        if (auto *query = qobject_cast<TfmLogQuery *>(dialog)) {
            query->ui()->bnLogOnComputer->click();
            return query->result();
        }
        const auto file = files.find(kind);
        if (file == files.end())
            return QDialog::Rejected;
        dialog->show();
        if (const auto step = before.find(kind); step != before.end())
            step->second(dialog);
        QCoreApplication::processEvents();
        ok = dialog->grab().save(folder + u'/' + file->second) && ok;
        dialog->hide();
        return QDialog::Rejected;
    }
};

bool WaitFor(const std::function<bool()> &done)
{
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 10);
    return done();
}

// The host's window with five stations (plain sockets answering as
// stations do) sixty seconds into the test of "Lakemont 2012".
bool HostPicture(const QString &base, const QString &out)
{
    ManualClock clock;
    HostEngine engine(clock, base);
    QString error;
    if (!engine.listen(QHostAddress::LocalHost, 0, &error)) {
        std::fprintf(stderr, "the host cannot listen: %s\n", qPrintable(error));
        return false;
    }
    QObject::connect(&engine, &HostEngine::problem,
                     [](const QString &text) { std::fprintf(stderr, "host: %s\n", qPrintable(text)); });
    TfmHost window(engine, clock, base);
    window.show();
    const QStringList calls{"N7GOE", "HB9YRD", "EA0HD", "AA8WL", "SP0ZG"};
    std::vector<std::unique_ptr<QTcpSocket>> stations;
    for (int i = 0; i < calls.size(); ++i) {
        auto socket = std::make_unique<QTcpSocket>();
        QTcpSocket *s = socket.get();
        QObject::connect(s, &QTcpSocket::readyRead, [s] {
            const QByteArray bytes = s->readAll();
            if (bytes.contains("VALIDATE_WAVEFILE:"))
                s->write(";WAVEFILE_STATUS:FILE_OK");
            if (bytes.contains("HEALTH_CHECK:"))
                s->write(";CLIENT_ALIVE:");
        });
        s->connectToHost(QHostAddress::LocalHost, engine.port());
        s->write(QStringLiteral(";CONNECT_POSITION:Position %1;REGISTER_PLAYER:%2,%3")
                     .arg(i + 1)
                     .arg(calls[i], i == 3 ? "PAPERLOG" : "COMPUTERLOG")
                     .toLatin1());
        stations.push_back(std::move(socket));
    }
    const QString waves = base + "/PracticeWavesAndCalls/";
    if (!WaitFor([&] { return !engine.positions()[4].call.isEmpty(); }) ||
        !engine.chooseWave(waves + "Lakemont2012.wav", waves + "Lakemont2012Calls.txt") ||
        !engine.sendWave() || !WaitFor([&] { return engine.positions()[4].waveStatus == "FILE_OK"; }) ||
        !engine.startTest()) {
        std::fprintf(stderr, "the host's round did not start\n");
        return false;
    }
    const QStringList checkList = TextFile::readLines(waves + "Lakemont2012Calls.txt");
    for (int i = 0; i < calls.size(); ++i) {
        QByteArray logged;
        for (int c = 0; c < 20 - 3 * i && i != 3; ++c)
            logged += ";LOG_CALL:" + checkList.value(c * 3 + i).toLatin1();
        stations[std::size_t(i)]->write(logged);
    }
    WaitFor([&] { return engine.positions()[0].calls == 20; });
    for (int s = 0; s < 67; ++s) {
        clock.advanceSecs(1);
        window.tmTickTimer();
        QCoreApplication::processEvents();
    }
    WaitFor([&] { return engine.positions()[0].link == HostEngine::Link::Connected; });
    return window.grab().save(out + QStringLiteral("/host.png"));
}

// The station as a player meets it: the main window a minute into a
// standalone test, the connection window, the ranking at the end of the
// test, and the practice scores of all cases.
bool StationPictures(const QString &base, const QString &bin, const QString &out, PictureDialogs &dialogs)
{
    for (const QFileInfo &file : QDir(bin).entryInfoList({"*.txt", "*.wav"}, QDir::Files))
        QFile::copy(file.filePath(), base + u'/' + file.fileName());
    const SessionPaths paths(base);
    // Earlier players of the standalone test, and the player's practice runs.
    const QStringList calls = TextFile::readLines(base + "/StandAloneCalls.txt");
    const QStringList others{"W1AW", "DL1ABC", "OH2BH", "JA1XYZ", "VK2DEF", "G3GHI"};
    QDir().mkpath(paths.standAloneLogs());
    for (int i = 0; i < others.size(); ++i)
        TextFile::writeLines(paths.standAloneLogs() + u'/' + others[i] + ".log",
                             calls.mid(i * 2, 30 - 4 * i) + QStringList{"XX1XX"});
    QStringList history{QString::fromLatin1(SessionPaths::kHistoryHeader)};
    const QDateTime first(QDate(2026, 11, 2), QTime(19, 30));
    for (int run = 0; run < 8; ++run) {
        const QDateTime when = first.addDays(run * 3);
        const QString log = paths.practiceLogs() + "/K1ABC" + when.toString("-MMddyy-hhmm") + ".log";
        const QString testCase = run % 2 ? "Lakemont 2013" : "Lakemont 2012";
        history.append(PracticeHistoryLine(when, log, run % 4 == 3 ? "Paper" : "Computer", testCase,
                                           TScore{30 + run * 4 + run % 3, 160 + run * 23}));
        // His computer logs, with the mistakes a player makes: H for 5, 6 for
        // B, a stroke left out, fewer as the runs go by.
        QStringList logged = TextFile::readLines(paths.practiceWavesAndCalls() + u'/' +
                                                 QString(testCase).remove(u' ') + "Calls.txt")
                                 .mid(run * 5, 40 + run * 4);
        for (qsizetype i = run % 3; i < logged.size(); i += 4 + run / 2) {
            QString &call = logged[i];
            call.replace(u'5', u'H').replace(u'B', u'6').remove(u'/');
            if (i % 3 == 0)
                call.replace(u'S', u'H');
        }
        TextFile::writeLines(log, logged);
    }
    TextFile::writeLines(paths.practiceHistory(), history);

    ManualClock clock;
    TfmMain main(paths, bin + "/vorlix-player", dialogs, clock, WavePlayer::Output::Silent);
    TfmConnect connect(dialogs, clock, &main);
    main.SetConnectWindow(&connect);
    if (!main.FormActivate())
        return false;
    main.show();
    connect.show();
    bool ok = connect.grab().save(out + "/connect.png");
    connect.hide();

    Ui::TfmMain &u = *main.ui();
    u.rbStandAlone->click();
    u.ebCallSign->setText("K1ABC");
    main.FormKeyPress(u.ebCallSign);
    for (int c = 0; c < 14; ++c) {
        clock.advanceSecs(4);
        u.ebCallEntry->setText(c % 5 == 4 ? "K5XQ" : calls.value(c * 3));
        main.FormKeyPress(u.ebCallEntry);
    }
    main.tmPCCompleteTimer();
    QCoreApplication::processEvents();
    ok = main.grab().save(out + "/main.png") && ok;

    dialogs.files["TfmShowScores"] = "ranking.png";
    clock.advanceSecs(400);
    main.tmPCCompleteTimer();
    dialogs.files["TfmPracticeScores"] = "practice.png";
    dialogs.files["TfmMisses"] = "misses.png";
    dialogs.before["TfmPracticeScores"] = [](QDialog *dialog) {
        auto &scores = *static_cast<TfmPracticeScores *>(dialog);
        QTableView *runs = scores.ui()->lvPracticeScores;
        runs->setCurrentIndex(runs->model()->index(0, 0));
        scores.ui()->bnWhatIMiss->click();
    };
    main.bnShowPrevPracticeClick();

    u.rbPractice->click();
    dialogs.files["TfmNewCase"] = "newcase.png";
    dialogs.before["TfmNewCase"] = [](QDialog *dialog) {
        static_cast<TfmNewCase *>(dialog)->ui()->rbContest->setChecked(true);
    };
    main.newCase().open();
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        std::fprintf(stderr, "usage: vorlix-screenshots <output folder>\n");
        return 2;
    }
    const QString out = app.arguments().at(1);
    QDir().mkpath(out);
    QTemporaryDir dir;
    const QString bin = QCoreApplication::applicationDirPath();
    if (!CopyFolderTree(bin + "/PracticeWavesAndCalls", dir.path() + "/PracticeWavesAndCalls") ||
        !QFile::copy(bin + "/Vorlix_Player_ini.txt", dir.path() + "/Vorlix_Player_ini.txt")) {
        std::fprintf(stderr, "the sample data is missing beside the program\n");
        return 2;
    }
    const SessionPaths paths(dir.path());
    paths.CreateFolderTree();
    // A practice run of the player's own, ahead of the field's middle.
    const QString competition = QStringLiteral("Lakemont 2012");
    QStringList run;
    for (int c = 1, chars = 0; c <= 60; ++c)
        run.append(QStringLiteral("%1,%2,%3").arg(8 + c * 4).arg(c).arg(chars += 5 + c % 3));
    const QString runs = paths.practiceTimedScores() + "/" + competition;
    QDir().mkpath(runs);
    TextFile::writeLines(runs + "/TS_K1ABC-120626-1930.txt", run);

    PictureDialogs dialogs;
    dialogs.folder = out;
    ManualClock clock;
    WavePlayer player(clock, WavePlayer::Output::Silent);
    ReplayEntry entry(dialogs, player, nullptr);
    TfmReplay &replay = entry.Replay();
    Ui::TfmReplay &u = *replay.ui();
    PrepareReplay(paths, competition, replay.data());
    replay.show();
    u.cbSelect->setCurrentIndex(u.cbSelect->count() / 2);
    replay.bnStartReplayClick();
    replay.tmReplay().stop();
    for (int s = 0; s < 150; ++s) {
        clock.advanceSecs(1);
        replay.tmReplayTimer();
    }
    bool ok = replay.grab().save(out + QStringLiteral("/replay.png"));
    for (int s = 150; s < 400 && !replay.race().Finished; ++s) {
        clock.advanceSecs(1);
        replay.tmReplayTimer();
    }
    dialogs.files["TfmReviewRates"] = "review.png";
    dialogs.before["TfmReviewRates"] = [](QDialog *dialog) {
        static_cast<TfmReviewRates *>(dialog)->lvRatesColumnClick(8);
    };
    replay.bnReviewRatesClick();
    replay.reject();
    ok = ok && dialogs.ok && HostPicture(dir.path(), out) && StationPictures(dir.path(), bin, out, dialogs);
    std::printf("%s\n", ok ? "the pictures are written" : "a picture could not be saved");
    return ok ? 0 : 1;
}
