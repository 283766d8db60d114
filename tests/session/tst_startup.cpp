// The main window's start-up sequence in a temporary base folder.

#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "session/TfmMain.h"
#include "ui_TfmMain.h"
#include "util/Clock.h"
#include "util/StationError.h"

#include <QDirIterator>
#include <QFile>
#include <QTest>

class TestStartup : public QObject
{
    Q_OBJECT

    static QStringList tree(const QString &root)
    {
        QStringList out;
        QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        while (it.hasNext())
            out.append(it.next().mid(root.size()));
        out.sort();
        return out;
    }

    static QStringList sampleConfig()
    {
        return {"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "STANDALONE_CALLSFILE=calls.txt"};
    }

private slots:
    void firstAndSecondStart()
    {
        TempBase base;
        base.WriteConfig(sampleConfig());
        base.Write("d.wav", "x");
        base.Write("d.txt", "K5XX\r\n");
        ScriptedDialogs dialogs;
        ManualClock clock;
        {
            TfmMain main(SessionPaths(base.path()), base.file("d.wav"), dialogs, clock);
            QVERIFY(main.FormActivate());
            QVERIFY(dialogs.shown.isEmpty());
            QVERIFY(main.demoAvailable());
            for (const char *folder : {"NetworkedLogs", "DemoLogs", "StandAloneLogs", "StandAloneLogs/TimedScores",
                                       "PracticeLogs", "PracticeLogs/PracticeTimedScores"})
                QVERIFY2(QFileInfo(base.file(folder)).isDir(), folder);
            QCOMPARE(base.Read("PracticeHistory.csv"),
                     QByteArray("Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n"));
            // Networked mode, computer log, the sign-in box ready.
            QVERIFY(main.ui()->rbNetworked->isChecked());
            QCOMPARE(main.logTypeIndex(), 0);
            QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Networked Computer Logging"));
            QVERIFY(main.ui()->moInstruct->toPlainText().startsWith("Networked test, logging on this computer"));
            QVERIFY(main.ui()->ebCallSign->isEnabled());
            QVERIFY(main.ui()->ebCallSign->text().isEmpty());
            QVERIFY(!main.ui()->ebCallEntry->isEnabled());
            QVERIFY(main.ui()->bnCollectScores->isHidden()); // calls.txt is missing
            QVERIFY(main.ui()->bnShowPrevPractice->isHidden());
            QVERIFY(main.ui()->bnReplay->isHidden());
            // Twenty characters can be typed into either box; the program can
            // still show a longer text.
            QTest::keyClicks(main.ui()->ebCallSign, QString(25, u'K'));
            QCOMPARE(main.ui()->ebCallSign->text(), QString(20, u'K'));
            main.ui()->ebCallEntry->setEnabled(true);
            QTest::keyClicks(main.ui()->ebCallEntry, QString(25, u'a'));
            QCOMPARE(main.ui()->ebCallEntry->text(), QString(20, u'a'));
            main.ui()->ebCallEntry->setText("Please wait for the audio to start");
            QTest::keyClick(main.ui()->ebCallEntry, Qt::Key_Backspace);
            QCOMPARE(main.ui()->ebCallEntry->text(), QStringLiteral("Please wait for the audio to star"));
            main.ui()->ebCallEntry->setEnabled(false);
            main.ui()->ebCallSign->clear();
            QCOMPARE(main.ui()->ebNetStatus->text(), QStringLiteral("Disconnected"));
        }

        // A second start leaves existing files and folders as they are.
        base.WriteLines("PracticeHistory.csv", {"Date,Time,LogFile,Logging Method,Test Case,Calls,Chars", "x"});
        base.Write("NetworkedLogs/K5XX.log", "K5XX\r\n");
        const QStringList before = tree(base.path());
        TfmMain again(SessionPaths(base.path()), base.file("d.wav"), dialogs, clock);
        QVERIFY(again.FormActivate());
        QCOMPARE(tree(base.path()), before);
        QCOMPARE(base.Read("PracticeHistory.csv"),
                 QByteArray("Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\nx\r\n"));
        QCOMPARE(base.Read("NetworkedLogs/K5XX.log"), QByteArray("K5XX\r\n"));
    }

    void missingConfiguration()
    {
        TempBase base;
        ScriptedDialogs dialogs;
        ManualClock clock;
        TfmMain main(SessionPaths(base.path()), base.file("x"), dialogs, clock);
        QVERIFY(!main.FormActivate());
        QCOMPARE(dialogs.shown.size(), 1);
        QCOMPARE(dialogs.shown[0].text, base.file("Vorlix_Player_ini.txt") + " is missing--fatal error, can't start");
        QCOMPARE(dialogs.shown[0].caption, QStringLiteral("Missing ini file"));
        QCOMPARE(dialogs.shown[0].icon, Dialogs::Icon::Warning);
        QCOMPARE(dialogs.shown[0].buttons, int(Dialogs::Ok));
        QVERIFY(!main.FormActivate()); // asked again, the answer stays

        // A long base folder: the text is cut to 310 characters.
        TempBase deep;
        const QString longFolder = QString(120, u'a') + "/" + QString(120, u'b');
        QDir().mkpath(deep.file(longFolder));
        ScriptedDialogs cut;
        TfmMain far(SessionPaths(deep.file(longFolder)), deep.file("x"), cut, clock);
        QVERIFY(!far.FormActivate());
        QCOMPARE(cut.shown[0].text.size(), 310);
        QVERIFY(cut.shown[0].text.startsWith(deep.file(longFolder)));
    }

    void noDemonstrationSource()
    {
        TempBase base;
        base.WriteConfig({"HIDE_PRACTICE_MODE=NO"});
        ScriptedDialogs dialogs;
        ManualClock clock;
        TfmMain main(SessionPaths(base.path()), base.file("x"), dialogs, clock);
        QVERIFY(main.FormActivate());
        QCOMPARE(dialogs.texts(),
                 QStringList{base.file("Vorlix_Player_ini.txt") + " contains no demo pileup source specs, can't start"});
        QCOMPARE(dialogs.shown[0].caption, QStringLiteral("Missing demo source specs in ini file"));
        QVERIFY(!main.demoAvailable());
        // The rest of the sequence ran.
        QVERIFY(main.ui()->ebCallSign->isEnabled());
        QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Networked Computer Logging"));
    }

    void practiceModeAtStart()
    {
        TempBase base;
        base.WriteConfig({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "START_IN_PRACTICE_MODE=YES"});
        ScriptedDialogs dialogs;
        ManualClock clock;
        TfmMain main(SessionPaths(base.path()), base.file("x"), dialogs, clock);
        QVERIFY(main.FormActivate());
        QVERIFY(main.ui()->rbPractice->isChecked());
        QVERIFY(!main.ui()->bnConnect->isEnabled());
        QVERIFY(!main.ui()->bnShowPrevPractice->isHidden());
        QVERIFY(!main.ui()->bnReplay->isHidden());
        QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Practice Computer Logging"));
        QCOMPARE(main.ui()->pnMessage->text(),
                 QStringLiteral("Please enter your call sign in the Player's Call Sign window"));

        // Hidden practice mode wins over starting in it.
        TempBase hidden;
        hidden.WriteConfig({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "START_IN_PRACTICE_MODE=YES",
                            "HIDE_PRACTICE_MODE=YES", "STANDALONE_CALLSFILE=c.txt"});
        hidden.Write("c.txt", "K5XX\r\n");
        TfmMain second(SessionPaths(hidden.path()), hidden.file("x"), dialogs, clock);
        QVERIFY(second.FormActivate());
        QVERIFY(second.ui()->rbPractice->isHidden());
        QVERIFY(second.ui()->rbNetworked->isChecked());
        QVERIFY(second.ui()->bnReplay->isHidden());
        QVERIFY(!second.ui()->bnCollectScores->isHidden());
    }

    void instructionsAndTitle()
    {
        TempBase base;
        base.WriteConfig({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        ScriptedDialogs dialogs;
        ManualClock clock;
        base.Write("exe", "x");
        base.SetModified("exe", QDateTime(QDate(2013, 12, 5), QTime(14, 7, 40)));
        TfmMain main(SessionPaths(base.path()), base.file("exe"), dialogs, clock);
        QVERIFY(main.FormActivate());
        QCOMPARE(main.windowTitle(), QStringLiteral("Vorlix Player de Qelvan:  [Built: 05-Dec-13 14:07]"));
        QCOMPARE(TfmMain::TitleFor(base.file("missing")),
                 QStringLiteral("Vorlix Player de Qelvan:  [Built: 30-Dec-99 00:00]"));

        main.ui()->rbPractice->setChecked(true);
        main.setLogTypeIndex(1);
        QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Practice Logging on Paper"));
        QVERIFY(main.ui()->moInstruct->toPlainText().startsWith("Practice, logging on paper"));
        main.setLogTypeIndex(-1); // no item: the paper row of the mode
        QCOMPARE(main.logTypeIndex(), -1);
        QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Practice Logging on Paper"));
        main.ui()->rbStandAlone->setChecked(true);
        main.setLogTypeIndex(0);
        QCOMPARE(main.ui()->Label4->text(), QStringLiteral("Instructions for Non-Networked Computer Logging"));

        // A missing instruction file empties the memo and names the file.
        QFile::remove(base.file("StandAlonePaperLogInstruct.txt"));
        try {
            main.setLogTypeIndex(1);
            QFAIL("no error");
        } catch (const StationError &e) {
            QCOMPARE(e.text(), "Cannot open file " + base.file("StandAlonePaperLogInstruct.txt"));
        }
        QVERIFY(main.ui()->moInstruct->toPlainText().isEmpty());
    }

    void playerLogSearches()
    {
        TempBase base;
        base.WriteConfig({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        ScriptedDialogs dialogs;
        ManualClock clock;
        TfmMain main(SessionPaths(base.path()), base.file("x"), dialogs, clock);
        QVERIFY(main.FormActivate());
        base.Write("StandAloneLogs/K5XX.log", "a");
        base.Write("StandAloneLogs/old/K5XX.log", "b");
        base.Write("StandAloneLogs/W1AW.log", "c");
        main.ui()->ebCallSign->setText("k5xx");
        main.FindPlayerLogs(main.paths().standAloneLogs() + "/");
        QCOMPARE(main.foundLogs(), (QStringList{"K5XX.log", "K5XX.log"}));
        main.FindAllLogs(main.paths().standAloneLogs() + "/");
        QCOMPARE(main.foundLogs(), (QStringList{"K5XX.log", "W1AW.log", "K5XX.log"}));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
