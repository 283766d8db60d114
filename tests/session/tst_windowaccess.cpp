// Every window of the station read, typed and heard: each text shows whole at
// the longest value it can take and every window fits its screen (run on a
// 1366 x 768 screen, at 150 % on 1920 x 1080 and at 200 % on 3840 x 2160),
// every button has an Alt key and no window gives one key twice, the dialogs
// tab in reading order, every control has a name for screen readers, a test
// is played by keys alone, and the texts that change under a player's ears
// are announced.

#include "ScreenReaderProbe.h"
#include "TestStation.h"
#include "WindowChecks.h"
#include "logentry/TfmPaperLogEntry.h"
#include "practice/GradedCalls.h"
#include "practice/TfmGradedCalls.h"
#include "practice/TfmMisses.h"
#include "practice/TfmNewCase.h"
#include "session/NewCaseFlow.h"
#include "practice/TfmPracticeScores.h"
#include "practice/TfmWinners.h"
#include "replay/ReplayData.h"
#include "replay/TfmReplay.h"
#include "replay/TfmReviewRates.h"
#include "replay/TfmSelectReplay.h"
#include "ui/Announce.h"
#include "util/SessionPaths.h"

#include "ui_TfmConnect.h"
#include "ui_TfmLogQuery.h"
#include "ui_TfmMain.h"
#include "ui_TfmPaperLogEntry.h"
#include "ui_TfmReplay.h"
#include "ui_TfmScoreLogs.h"
#include "ui_TfmSelectPractice.h"

#include <QAccessible>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

const QString kCall = QStringLiteral("K5XXXXXXXXXXXXXXXXXX"); // a call of 20 characters
const QString kCase = QStringLiteral("Lakemont Practice 2013");
const QString kPortable = QStringLiteral("VP2V/K5XXXXXXXXXXX/P"); // as long as a call can be typed

} // namespace

class TestWindowAccess : public QObject
{
    Q_OBJECT

    // All the station's windows, made as the station makes them.
    struct Windows
    {
        TestStation st{{"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"}};
        WavePlayer player{st.clock, WavePlayer::Output::Silent};
        TfmGradedCalls graded;
        TfmReviewRates review{st.dialogs, player};
        TfmReplay replay{st.dialogs, player, review};
        TfmSelectReplay selectReplay;
        TfmMisses misses;

        QList<QWidget *> all()
        {
            TfmMain &m = *st.main;
            return {&m,
                    st.fmConnect.get(),
                    &m.LogQuery(),
                    &m.CollectScores(),
                    &m.ScoreLogs(),
                    &m.ShowScores(),
                    &m.PaperLogEntry(),
                    &m.SelectPractice(),
                    &m.PracticeScores(),
                    &m.Winners(),
                    &graded,
                    &replay,
                    &review,
                    &selectReplay,
                    &misses,
                    &m.newCase().window()};
        }
    };

    // The longest text each control can show, by window.
    static QHash<QString, QString> longest(const QString &window)
    {
        const QString digits = QStringLiteral("9999");
        if (window == u"TfmMain")
            return {{"ebNetStatus", "Connected-Position 6"},
                    {"lblStandAloneStatus", "Practice test logged as /home/player/vorlix/" +
                                                QString(180, u'p') + "/PracticeLogs/" + kCall +
                                                "-120726-0404.log"},
                    {"ebCallSign", kCall},
                    {"ebCallEntry", kCall + " Paper log - score posted later"},
                    {"pnMessage", "The earlier log " + kCall + ".log is kept; this test is logged as " +
                                      kCall + "-20261207-040404.log"},
                    {"pnDemo", "Demo Time Remaining=99:59"},
                    {"cbSoundOutput", "Built-in Audio Analog Stereo"},
                    {"Label4", "Instructions for Paper Logging in Non-Networked System"}};
        if (window == u"TfmConnect")
            return {{"pnPositionStatus", "Position already in use "}};
        if (window == u"TfmShowScores")
            return {{"ebPlayer", "Use Enter Paper Log button to enter your log"}};
        if (window == u"TfmGradedCalls")
            return {{"ebLog", kCall + "-120726-0404.log"},
                    {"ebCase", kCase},
                    {"ebWinScore", digits + '/' + digits},
                    {"ebAvgScore", digits + '/' + digits},
                    {"ebEntries", digits},
                    {"ebGood", digits}};
        if (window == u"TfmSelectPractice")
            return {{"cbPracticeCases", kCase}};
        if (window == u"TfmSelectReplay")
            return {{"cbSelectReplay", kCase}};
        if (window == u"TfmReplay") {
            QHash<QString, QString> texts{
                {"cbSelect", kCall},     {"ebUser", kCall},       {"ebRemTime", "99:59"},
                {"ebNowSelect", digits}, {"ebTotSelect", digits}, {"ebNowAvg", digits},
                {"ebTotAvg", digits},    {"ebNowUser", digits},   {"ebTotUser", digits}};
            for (int i = 0; i < 5; ++i) {
                texts.insert(QStringLiteral("ebTopCall%1").arg(i), kCall);
                texts.insert(QStringLiteral("ebNowChar%1").arg(i), digits);
                texts.insert(QStringLiteral("ebTotChar%1").arg(i), digits);
            }
            return texts;
        }
        return {};
    }

private slots:
    void textsShowWholeAtTheirLongest()
    {
        Windows w;
        QVERIFY(w.st.start());
        // A results file deep in the folders: the box shows its name.
        TfmScoreLogs &scoreLogs = w.st.main->ScoreLogs();
        const QString deep = "/srv/" + QString(200, u'd') + "/Lakemont results of 2013.txt";
        scoreLogs.setFileChooser([&](QWidget *, const QString &) { return deep.left(260); });
        scoreLogs.show();
        scoreLogs.bnBrowseClick();
        QVERIFY(scoreLogs.ui()->ebDestinationFile->text().endsWith("/Lakemont results of 2013.txt"));
        QCOMPARE(scoreLogs.destinationFile(), deep.left(260));

        // The lists at their longest real rows: a case name longer than the
        // history keeps, a player's key, a portable call, four-digit counts.
        const QString key = kCall + "-120726-0404";
        const QString longCase = "Lakemont Pileup Competition 2012 QK";
        TPracticeScore run{"07-Dec-2026", " 04:04", key + ".log", "Computer", longCase.left(30), 9999, 9999};
        w.st.main->PracticeScores().Fill("Practice Scores All Test Cases", {"All logs"}, {run});
        w.st.main->Winners().Fill({longCase + ",Yes," + kPortable + ",9999,9999",
                                   "Lakemont 2012,Yes,K5XX,9999,9999", "Lakemont 2013,No,K5XX,9999,9999"});
        w.graded.Fill({{},
                       key + ".log",
                       longCase,
                       "9999/9999",
                       "9999/9999",
                       {{kPortable, "Good Call"}, {kPortable, "Bad Call"}}});
        QList<QStringList> rates;
        for (const QString &caption : {kCall, key, "MinTop-" + kCall}) {
            QStringList row{caption};
            for (int interval = 0; interval < 18; ++interval)
                row.append("+999");
            rates.append(row << "999.9"
                             << "999.9");
        }
        w.review.ShowRows(rates, longCase);
        MissAnalysis::Report misses;
        misses.player = kCall;
        misses.confusions = {{{QChar(u'/'), QChar()}, 9999}, {{QChar(), QChar(u'W')}, 9999}};
        misses.characters = {{QChar(u'W'), {9999, 9999, 0, 0}}};
        misses.runs.assign(10, MissAnalysis::Run{"07-Dec-2026", longCase.left(30), 9999, 9999});
        w.misses.Fill(misses);
        // The race of five competitors with calls of twenty characters, and
        // the player's best run under a key as long as a key is kept.
        const SessionPaths &paths = w.st.main->paths();
        for (int place = 0; place < 5; ++place)
            w.st.base.WriteLines(QDir(w.st.base.path()).relativeFilePath(paths.tesselTimedScores()) +
                                     "/Lakemont 2012/TS_" + kCall.left(19) + QString::number(place) + ".txt",
                                 {"30,50,300"});
        w.st.base.WriteLines(QDir(w.st.base.path()).relativeFilePath(paths.practiceTimedScores()) +
                                 "/Lakemont 2012/TS_K5XXXXXXXX-120726-0404.txt",
                             {"45,1,5"});
        PrepareReplay(paths, "Lakemont 2012", w.replay.data());

        // Each window, centred over a main window in a corner of the screen,
        // opens whole on the screen, its title bar too.
        TfmMain &main = *w.st.main;
        const QRect screen = main.screen()->availableGeometry();
        QStringList problems;
        for (QWidget *window : w.all()) {
            problems += WindowChecks::Clipped(window, longest(window->objectName()));
            const QSize frame = window->frameGeometry().size();
            if (frame.width() > screen.width() || frame.height() > screen.height())
                problems << QStringLiteral("%1 is %2x%3, larger than the screen's %4x%5")
                                .arg(window->objectName())
                                .arg(frame.width())
                                .arg(frame.height())
                                .arg(screen.width())
                                .arg(screen.height());
            for (const QPoint corner : {screen.topLeft(), screen.bottomRight() - QPoint(100, 100)}) {
                main.move(corner);
                Dialogs::CentreOver(window, &main);
                if (!screen.contains(QRect(window->pos(), window->frameGeometry().size())))
                    problems << window->objectName() + " opens off the screen";
            }
            window->hide();
        }
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void everyControlIsNamedAndEveryButtonHasItsOwnKey()
    {
        Windows w;
        QStringList problems;
        for (QWidget *window : w.all())
            problems += WindowChecks::KeyProblems(window);
        // Alt and the key click the button, as a mnemonic would.
        TfmLogQuery &query = w.st.main->LogQuery();
        query.show();
        query.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&query));
        QTest::keyClick(&query, Qt::Key_P, Qt::AltModifier);
        QVERIFY(!query.isVisible());
        QVERIFY(!query.computerLog());

        // The names, as the started station gives them.
        QVERIFY(w.st.start());
        for (QWidget *window : w.all())
            problems += WindowChecks::Unnamed(window);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    void dialogsTabInReadingOrder()
    {
        Windows w;
        auto order = [](QWidget *window, QWidget *first) {
            window->show();
            return WindowChecks::TabOrder(first);
        };
        TfmConnect &connect = *w.st.fmConnect;
        QCOMPARE(order(&connect, connect.ui()->ebHostAddress),
                 QStringList({"ebHostAddress", "ebHostPort", "bnConnect", "cbPosition", "bnContinue",
                              "bnDisconnect", "bnCancel"}));
        // The paper log of a practice test names its case after the call.
        TfmPaperLogEntry &paper = w.st.main->PaperLogEntry();
        paper.setLogFolder(w.st.main->paths().practiceLogs(), true, {});
        QCOMPARE(order(&paper, paper.ui()->ebCallSignPaper),
                 QStringList({"ebCallSignPaper", "cbPracticeCase", "moPaperLog", "moExistLogs", "bnSavePaper",
                              "bnCancel"}));
        TfmSelectPractice &select = w.st.main->SelectPractice();
        QCOMPARE(order(&select, select.ui()->bnViewWinScores),
                 QStringList({"bnViewWinScores", "cbPracticeCases", "bnSelectPracticeCase", "bnCancel"}));
        // It opens on the cases, so the case chosen is what is said first.
        QCOMPARE(select.focusWidget(), select.ui()->cbPracticeCases);
        TfmScoreLogs &scoreLogs = w.st.main->ScoreLogs();
        QCOMPARE(order(&scoreLogs, scoreLogs.ui()->ebDestinationFile),
                 QStringList({"ebDestinationFile", "bnBrowse", "bnScoreLogs", "bnCancel"}));
        // The race row by row, then its buttons and the time left.
        QStringList race;
        for (int place = 0; place < 5; ++place)
            race << QStringLiteral("ebTopCall%1").arg(place) << QStringLiteral("ebNowChar%1").arg(place)
                 << QStringLiteral("ebTotChar%1").arg(place);
        race += QStringList{"cbSelect", "ebNowSelect",   "ebTotSelect", "ebAvg",     "ebNowAvg",
                            "ebTotAvg", "ebUser",        "ebNowUser",   "ebTotUser", "bnStartReplay",
                            "bnReset",  "bnReviewRates", "ebRemTime"};
        QCOMPARE(order(&w.replay, w.replay.ui()->ebTopCall0), race);
    }

    // A standalone test by keys alone: the main window's keys, the focus back
    // in the box that had it when a window closes, and the texts that change
    // under the player's ears announced.
    void aTestByKeysIsHeard()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "STANDALONE_WAVEFILE=sa.wav",
                        "STANDALONE_CALLSFILE=sa.txt"});
        st.base.Write("sa.wav", MakeWave(8000, 8, 1, 30000));
        st.base.WriteLines("sa.txt", {"K5XX", "W1AW"});
        QVERIFY(st.start());
        Ui::TfmMain &ui = st.ui();
        auto focus = [] { return QApplication::focusWidget(); };
        auto alt = [&](Qt::Key key) {
            QTest::keyClick(focus() ? focus() : st.main.get(), key, Qt::AltModifier);
        };
        // Connect's window, closed: box 1 has the focus again. The
        // instructions take the focus to be read; a closed box 2 takes none.
        QCOMPARE(focus(), ui.ebCallSign);
        alt(Qt::Key_C);
        QCOMPARE(st.dialogs.modalCount, 1);
        QCOMPARE(focus(), ui.ebCallSign);
        alt(Qt::Key_I);
        QVERIFY(focus() == ui.moInstruct && ui.moInstruct->isReadOnly());
        alt(Qt::Key_2);
        QCOMPARE(focus(), ui.moInstruct);
        alt(Qt::Key_1);
        QCOMPARE(focus(), ui.ebCallSign);
        // A question, declined: box 1 again, not the choice that asked it.
        st.dialogs.answers = {Dialogs::No};
        alt(Qt::Key_S);
        QVERIFY(ui.rbNetworked->isChecked() && focus() == ui.ebCallSign);

        ScreenReaderProbe reader;
        // What the window's notification says once the station is idle; Orca
        // speaks it as it shows, wherever the focus is.
        auto said = [&] {
            QCoreApplication::processEvents();
            return Announce::Spoken(st.main.get());
        };
        // The window's newest notification.
        auto notice = [&] {
            const auto notices = st.main->findChildren<QWidget *>("vorlixNotice");
            return notices.isEmpty() ? nullptr : notices.last();
        };
        // The prompt of the standalone mode, then the score of its test.
        st.standalone();
        QCOMPARE(said(), ui.pnMessage->text() + ".");
        QVERIFY(reader.heard(ui.pnMessage, QAccessible::NameChanged));
        // The notification is a notification to screen readers, takes no
        // focus and no room; its text stays with it.
        QAccessibleInterface *n = QAccessible::queryAccessibleInterface(notice());
        QVERIFY(n && n->role() == QAccessible::Notification);
        QCOMPARE(n->text(QAccessible::Name), said());
        QCOMPARE(notice()->focusPolicy(), Qt::NoFocus);
        QVERIFY(notice()->size().isEmpty());
        const QPointer<QWidget> prompt = notice();
        const QString promptText = said();
        st.signIn("ALPHA");
        st.typeCall("K5XX");
        // The password window withdrawn: box 2 again; box 1, closed during
        // the test, takes no focus.
        alt(Qt::Key_E);
        QCOMPARE(focus(), ui.ebCallEntry);
        alt(Qt::Key_1);
        QVERIFY(focus() == ui.ebCallEntry && ui.ebCallEntry->text().isEmpty());
        reader.clear();
        st.tickAt(35);
        QVERIFY(ui.ebCallEntry->text().startsWith("Correct calls/chars=1/4"));
        // The score and the panel in one phrase, in the order shown; shown
        // anew, so heard again after the focus moved to box 1.
        QCOMPARE(said(), ui.ebCallEntry->text() + ". Click here to see other scores.");
        QVERIFY(reader.heard(notice(), QAccessible::ObjectShow));
        QVERIFY(ui.ebCallSign->hasFocus());
        // A reader that comes late to the prompt still reads the prompt.
        QVERIFY(prompt && prompt != notice());
        QCOMPARE(QAccessible::queryAccessibleInterface(prompt)->text(QAccessible::Name), promptText);
        // The panel's prompt by its key: the ranking, then box 1 for the next player.
        QCOMPARE(ui.pnMessage->text(), QStringLiteral("Click here to see other scores"));
        const int modals = st.dialogs.modalCount;
        alt(Qt::Key_M);
        QVERIFY(st.dialogs.modalCount == modals + 1 && focus() == ui.ebCallSign);
        // Emptying the panel says nothing; the connection status is told.
        const QString before = said();
        reader.clear();
        Announce::Text(ui.pnMessage, {});
        QCOMPARE(said(), before);
        QVERIFY(!reader.heard(notice(), QAccessible::ObjectShow));
        Announce::Text(ui.ebNetStatus, "Connected-Position 2");
        QCOMPARE(said(), QStringLiteral("Connected-Position 2."));
        QVERIFY(reader.heard(notice(), QAccessible::ObjectShow));
    }
};

QTEST_MAIN(TestWindowAccess)
#include "tst_windowaccess.moc"
