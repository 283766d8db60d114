// The host's window: its texts show whole at their longest (run again at 150 % scaling), its buttons have
// their own Alt keys, and its controls are named for screen readers.

#include "HostEngine.h"
#include "TempBase.h"
#include "TfmHost.h"
#include "WindowChecks.h"
#include "util/Clock.h"

#include <QtTest>

class TestHostWindowAccess : public QObject
{
    Q_OBJECT

private slots:
    void windowReadsWholeAndAnswersKeys()
    {
        TempBase base;
        ManualClock clock;
        HostEngine engine(clock, base.path());
        TfmHost window(engine, clock, base.path());
        window.tmTick.stop();
        QStringList problems = WindowChecks::KeyProblems(&window) + WindowChecks::Unnamed(&window);
        // A wave and check list of long names, the longest stage and a countdown past 99 minutes.
        problems += WindowChecks::Clipped(
            &window, {{"lbWave", "Lakemont Pileup 2013 final.wav with Lakemont Pileup 2013 final.txt"},
                      {"lbStage", "Demonstration"},
                      {"lbCountdown", "100:00"}});
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }
};

QTEST_MAIN(TestHostWindowAccess)
#include "tst_hostwindowaccess.moc"
