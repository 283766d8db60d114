// Draws the replay of "Lakemont 2012" two minutes in (a competitor chosen,
// a practice run of the player's own) and its rate review with an interval
// selected, and the competition host's window a minute into a test at five
// stations, from the real windows on a copy of the sample data, and saves
// them as PNG files.
//
//   vorlix-screenshots <output folder>

#include "HostEngine.h"
#include "TfmHost.h"
#include "replay/ReplayEntry.h"
#include "replay/TfmReplay.h"
#include "replay/TfmReviewRates.h"
#include "ui/Dialogs.h"
#include "ui_TfmReplay.h"
#include "util/Clock.h"
#include "util/FileUtil.h"
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

namespace {

// Saves each modal window's picture instead of waiting for a user.
class PictureDialogs : public Dialogs
{
public:
    QString folder;
    std::function<void(QDialog *)> beforeReview;
    bool ok = true;

    int Message(QWidget *, const QString &text, const QString &, Icon, int) override
    {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return Ok;
    }
    int ShowModal(QDialog *dialog) override
    {
        dialog->show();
        if (beforeReview)
            beforeReview(dialog);
        ok = dialog->grab().save(folder + QStringLiteral("/review.png")) && ok;
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
    dialogs.beforeReview = [](QDialog *dialog) {
        auto *review = static_cast<TfmReviewRates *>(dialog);
        review->lvRatesColumnClick(8);
    };
    replay.bnReviewRatesClick();
    replay.reject();
    ok = ok && dialogs.ok && HostPicture(dir.path(), out);
    std::printf("%s\n", ok ? "replay.png, review.png and host.png written" : "a picture could not be saved");
    return ok ? 0 : 1;
}
