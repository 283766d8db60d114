#include "TestStation.h"

#include "ui_TfmConnect.h"
#include "ui_TfmLogQuery.h"
#include "ui_TfmMain.h"
#include "ui_TfmSelectPractice.h"

#include <QTest>

TestStation::TestStation(const QStringList &config)
{
    base.WriteConfig(config);
    makeWindows();
}

void TestStation::makeWindows()
{
    main = std::make_unique<TfmMain>(SessionPaths(base.path()), base.file("x"), dialogs, clock,
                                     WavePlayer::Output::Silent);
    fmConnect = std::make_unique<TfmConnect>(dialogs, clock, main.get());
    main->SetConnectWindow(fmConnect.get());
}

bool TestStation::crashAndRestart()
{
    fmConnect->HaldenClientSocket.abort();
    fmConnect.reset(); // a child of the main window: it goes first
    main.reset();
    makeWindows();
    return start();
}

bool TestStation::start()
{
    if (!main->FormActivate())
        return false;
    main->show();
    main->activateWindow();
    return QTest::qWaitForWindowActive(main.get());
}

Ui::TfmMain &TestStation::ui()
{
    return *main->ui();
}

void TestStation::answerLogging(bool computer)
{
    dialogs.modalScripts.append([computer](QDialog *d) {
        auto *q = qobject_cast<TfmLogQuery *>(d);
        (computer ? q->ui()->bnLogOnComputer : q->ui()->bnLogOnPaper)->click();
        return int(q->result());
    });
}

void TestStation::answerCase(const QString &name, QStringList *offered)
{
    dialogs.modalScripts.append([name, offered](QDialog *d) {
        auto *s = qobject_cast<TfmSelectPractice *>(d);
        if (offered) {
            offered->clear();
            for (int i = 0; i < s->ui()->cbPracticeCases->count(); ++i)
                offered->append(s->ui()->cbPracticeCases->itemText(i));
            offered->append(QString::number(s->ui()->cbPracticeCases->currentIndex()));
        }
        if (name.isEmpty()) {
            s->ui()->bnCancel->click();
        } else {
            s->ui()->cbPracticeCases->setCurrentText(name);
            s->ui()->bnSelectPracticeCase->click();
        }
        return int(s->result());
    });
}

void TestStation::enterCallSign(const QString &text, Qt::Key key)
{
    ui().ebCallSign->setFocus();
    ui().ebCallSign->setText(text);
    QTest::keyClick(ui().ebCallSign, key);
}

void TestStation::typeCall(const QString &text, Qt::Key key)
{
    ui().ebCallEntry->setFocus();
    QTest::keyClicks(ui().ebCallEntry, text);
    QTest::keyClick(ui().ebCallEntry, key);
}

void TestStation::standalone()
{
    dialogs.answers = {Dialogs::Yes};
    ui().rbStandAlone->click();
}

void TestStation::signIn(const QString &id, bool computer, Qt::Key key)
{
    answerLogging(computer);
    enterCallSign(id, key);
}

QStringList TestStation::shownBy(const std::function<void()> &action)
{
    dialogs.shown.clear();
    action();
    return dialogs.texts();
}

void TestStation::tickAt(int secs)
{
    clock.setMonotonicMs(main->session().audioStartMs() + secs * 1000);
    main->tmPCCompleteTimer();
}

HostedTestStation::HostedTestStation(const QStringList &config) : TestStation(config)
{
    base.WriteLines("Vorlix_PRestart.txt",
                    {"HOST_ADDRESS=127.0.0.1", "HOST_PORT_NUMBER=" + QString::number(host.port()),
                     "PLAYER_POSITION=Position 2"});
}

bool HostedTestStation::connectToHost(bool accept)
{
    bool ok = false;
    dialogs.modalScripts.append([&, accept](QDialog *d) {
        auto *c = qobject_cast<TfmConnect *>(d);
        c->ui()->bnConnect->click();
        if (!host.waitForClient() || !QTest::qWaitFor([&] { return c->Connected(); }))
            return 0;
        c->ui()->bnContinue->click();
        if (!host.waitForReceived(";CONNECT_POSITION:Position 2"))
            return 0;
        host.send(accept ? ";POSITION_ACCEPTED:" : ";POSITION_REJECTED:");
        ok = QTest::qWaitFor([&] { return accept ? c->PositionAssigned() : c->PositionRefused(); });
        c->ui()->bnCancel->click();
        return 0;
    });
    ui().bnConnect->click();
    return ok;
}

bool HostedTestStation::hostGot(const QByteArray &bytes)
{
    const bool got = host.waitForReceived(bytes) && host.received() == bytes;
    host.clearReceived();
    return got;
}
