// The main window's start-up sequence in a temporary base folder.

#include "TestStation.h"
#include "ui/SoundOutputBox.h"
#include "ui_TfmMain.h"
#include "util/StationError.h"

#include <QDirIterator>
#include <QTest>

#include <sys/stat.h>

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

private slots:
    void firstAndSecondStart()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "STANDALONE_CALLSFILE=calls.txt"});
        st.base.Write("d.wav", "x");
        st.base.Write("d.txt", "K5XX\r\n");
        Ui::TfmMain &ui = st.ui();
        QVERIFY(st.main->FormActivate());
        QVERIFY(st.dialogs.shown.isEmpty());
        QVERIFY(st.main->demoAvailable());
        for (const char *folder :
             {"NetworkedLogs", "DemoLogs", "StandAloneLogs/TimedScores", "PracticeLogs/PracticeTimedScores"})
            QVERIFY2(QFileInfo(st.base.file(folder)).isDir(), folder);
        QCOMPARE(st.base.Read("PracticeHistory.csv"),
                 QByteArray("Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n"));
        // Networked mode, computer log, the sign-in box ready.
        QVERIFY(ui.rbNetworked->isChecked());
        QCOMPARE(st.main->logTypeIndex(), 0);
        QCOMPARE(ui.Label4->text(), QStringLiteral("Instructions for Networked Computer Logging"));
        QVERIFY(ui.moInstruct->toPlainText().startsWith("Networked test, logging on this computer"));
        QVERIFY(ui.ebCallSign->isEnabled() && ui.ebCallSign->text().isEmpty() &&
                !ui.ebCallEntry->isEnabled());
        QCOMPARE(ui.ebNetStatus->text(), QStringLiteral("Disconnected"));
        // calls.txt is missing, so no score collecting; no practice buttons.
        for (const QWidget *hidden : {ui.bnCollectScores, ui.bnShowPrevPractice, ui.bnReplay})
            QVERIFY2(hidden->isHidden(), qPrintable(hidden->objectName()));
        // Twenty characters can be typed into either box; the program can
        // still show a longer text.
        ui.ebCallEntry->setEnabled(true);
        for (QLineEdit *box : {ui.ebCallSign, ui.ebCallEntry}) {
            QTest::keyClicks(box, QString(25, u'K'));
            QCOMPARE(box->text(), QString(20, u'K'));
        }
        ui.ebCallEntry->setText("Please wait for the audio to start");
        QTest::keyClick(ui.ebCallEntry, Qt::Key_Backspace);
        QCOMPARE(ui.ebCallEntry->text(), QStringLiteral("Please wait for the audio to star"));
        // A newcomer's Enter in box 1 before any link: what to do, and no test.
        QCOMPARE(st.shownBy([&] { QTest::keyClick(ui.ebCallSign, Qt::Key_Return); }),
                 QStringList{"Connect to the host first, or choose Standalone or Practice"});
        QVERIFY(!st.main->session().logPending && QDir(st.base.file("NetworkedLogs")).isEmpty());

        // A second start leaves existing files and folders as they are.
        st.base.WriteLines("PracticeHistory.csv",
                           {"Date,Time,LogFile,Logging Method,Test Case,Calls,Chars", "x"});
        st.base.Write("NetworkedLogs/K5XX.log", "K5XX\r\n");
        const QStringList before = tree(st.base.path());
        TfmMain again(SessionPaths(st.base.path()), st.base.file("x"), st.dialogs, st.clock);
        QVERIFY(again.FormActivate());
        QCOMPARE(tree(st.base.path()), before);
        QCOMPARE(st.base.Read("PracticeHistory.csv"),
                 QByteArray("Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\nx\r\n"));
        QCOMPARE(st.base.Read("NetworkedLogs/K5XX.log"), QByteArray("K5XX\r\n"));
    }

    void missingConfiguration()
    {
        TestStation st({});
        QFile::remove(st.base.file("Vorlix_Player_ini.txt"));
        QVERIFY(!st.main->FormActivate());
        QVERIFY(!st.main->FormActivate()); // asked again, the answer stays
        const ScriptedDialogs::Shown &shown = st.dialogs.shown[0];
        QCOMPARE(st.dialogs.shown.size(), 1);
        QCOMPARE(shown.text, st.base.file("Vorlix_Player_ini.txt") + " is missing--fatal error, can't start");
        QCOMPARE(shown.caption, QStringLiteral("Missing ini file"));
        QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        QCOMPARE(shown.buttons, int(Dialogs::Ok));

        // A long base folder: the text is cut to 310 characters.
        const QString longFolder = st.base.file(QString(120, u'a') + "/" + QString(120, u'b'));
        QDir().mkpath(longFolder);
        ScriptedDialogs cut;
        TfmMain far(SessionPaths(longFolder), st.base.file("x"), cut, st.clock);
        QVERIFY(!far.FormActivate());
        QCOMPARE(cut.shown[0].text.size(), 310);
        QVERIFY(cut.shown[0].text.startsWith(longFolder));
    }

    void noDemonstrationSource()
    {
        TestStation st({"HIDE_PRACTICE_MODE=NO"});
        QVERIFY(st.main->FormActivate());
        QCOMPARE(st.dialogs.texts(), QStringList{st.base.file("Vorlix_Player_ini.txt") +
                                                 " contains no demo pileup source specs, can't start"});
        QCOMPARE(st.dialogs.shown[0].caption, QStringLiteral("Missing demo source specs in ini file"));
        QVERIFY(!st.main->demoAvailable());
        // The rest of the sequence ran.
        QVERIFY(st.ui().ebCallSign->isEnabled());
        QCOMPARE(st.ui().Label4->text(), QStringLiteral("Instructions for Networked Computer Logging"));
    }

    void practiceModeAtStart()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "START_IN_PRACTICE_MODE=YES"});
        QVERIFY(st.main->FormActivate());
        QVERIFY(st.ui().rbPractice->isChecked());
        QVERIFY(!st.ui().bnConnect->isEnabled());
        QVERIFY(!st.ui().bnShowPrevPractice->isHidden() && !st.ui().bnReplay->isHidden());
        QCOMPARE(st.ui().Label4->text(), QStringLiteral("Instructions for Practice Computer Logging"));
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("Please enter your call sign in the Player's Call Sign window"));

        // A missing instruction file is reported, and every later step of
        // the start-up still runs: practice mode chosen, or hidden (which wins
        // over starting in it).
        for (const bool hide : {false, true}) {
            TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo", "START_IN_PRACTICE_MODE=YES",
                            hide ? "HIDE_PRACTICE_MODE=YES" : "", "STANDALONE_CALLSFILE=c.txt"});
            st.base.Write("c.txt", "K5XX\r\n");
            QFile::remove(st.base.file("ComputerLogInstruct.txt"));
            QVERIFY(st.main->FormActivate());
            QCOMPARE(st.dialogs.texts(),
                     QStringList{"Cannot open file " + st.base.file("ComputerLogInstruct.txt")});
            QCOMPARE(st.ui().rbPractice->isHidden(), hide);
            QCOMPARE(st.ui().rbPractice->isChecked(), !hide);
            QCOMPARE(st.ui().rbNetworked->isChecked(), hide);
            QCOMPARE(st.ui().bnReplay->isHidden(), hide);
            QVERIFY(st.ui().ebCallSign->isEnabled() && !st.ui().bnCollectScores->isHidden());
        }
    }

    void whatCannotBeWrittenIsSaidAtStart()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        st.base.Write("NetworkedLogs", "a file where the folder belongs");
        // A named pipe where a text should be must not stop the start.
        const QString pipe = st.base.file("ComputerLogInstruct.txt");
        QFile::remove(pipe);
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        {
            FileSizeLimit full(1);
            QVERIFY(st.main->FormActivate());
        }
        QCOMPARE(st.dialogs.texts(),
                 (QStringList{"Cannot open file " + pipe,
                              "Cannot create file " + st.base.file("PracticeHistory.csv") +
                                  "\nThe station cannot write to " + st.base.file("NetworkedLogs") +
                                  ": no log can be saved there"}));
        QVERIFY(!QFileInfo::exists(st.base.file("PracticeHistory.csv")));
        QVERIFY(st.ui().ebCallSign->isEnabled());
    }

    void titleInstructionsAndLogSearches()
    {
        TestStation st({"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});
        // The station's executable is "x" in the base folder.
        st.base.Write("x", "x");
        st.base.SetModified("x", QDateTime(QDate(2013, 12, 5), QTime(14, 7, 40)));
        QVERIFY(st.main->FormActivate());
        QCOMPARE(st.main->windowTitle(),
                 QStringLiteral("Vorlix Player de Qelvan:  [Built: 05-Dec-13 14:07]"));
        QCOMPARE(TfmMain::TitleFor(st.base.file("missing")),
                 QStringLiteral("Vorlix Player de Qelvan:  [Built: 30-Dec-99 00:00]"));

        // The heading follows mode and logging method; no item is the paper
        // row of the mode.
        Ui::TfmMain &ui = st.ui();
        ui.rbPractice->setChecked(true);
        st.main->setLogTypeIndex(1);
        QVERIFY(ui.moInstruct->toPlainText().startsWith("Practice, logging on paper"));
        for (const int index : {1, -1}) {
            st.main->setLogTypeIndex(index);
            QCOMPARE(st.main->logTypeIndex(), index);
            QCOMPARE(ui.Label4->text(), QStringLiteral("Instructions for Practice Logging on Paper"));
        }
        ui.rbStandAlone->setChecked(true);
        st.main->setLogTypeIndex(0);
        QCOMPARE(ui.Label4->text(), QStringLiteral("Instructions for Non-Networked Computer Logging"));

        // A missing instruction file empties the memo and names the file.
        QFile::remove(st.base.file("StandAlonePaperLogInstruct.txt"));
        QCOMPARE(st.shownBy([&] { st.main->setLogTypeIndex(1); }),
                 QStringList{"Cannot open file " + st.base.file("StandAlonePaperLogInstruct.txt")});
        QVERIFY(ui.moInstruct->toPlainText().isEmpty());

        // The player's logs in any folder below, and all logs.
        for (const char *log :
             {"StandAloneLogs/K5XX.log", "StandAloneLogs/old/K5XX.log", "StandAloneLogs/W1AW.log"})
            st.base.Write(log, "x");
        st.ui().ebCallSign->setText("k5xx");
        st.main->FindPlayerLogs(st.main->paths().standAloneLogs() + "/");
        QCOMPARE(st.main->foundLogs(), (QStringList{"K5XX.log", "K5XX.log"}));
        st.main->FindAllLogs(st.main->paths().standAloneLogs() + "/");
        QCOMPARE(st.main->foundLogs(), (QStringList{"K5XX.log", "W1AW.log", "K5XX.log"}));
    }

    void soundOutputChoiceIsKeptBetweenRuns()
    {
        TestStation st({});
        st.base.WriteLines("Vorlix_Sound.txt", {"SOUND_OUTPUT=usb-headset"});
        QVERIFY(st.crashAndRestart());
        Ui::TfmMain &ui = st.ui();
        SoundOutputBox *box = ui.cbSoundOutput;
        // Before the player turns to the box it shows the saved output by its
        // id; the player made later plays on it.
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->itemText(0), QStringLiteral("System default"));
        QCOMPARE(box->currentText(), QStringLiteral("usb-headset"));
        QCOMPARE(st.main->MediaPlayer1().soundOutput(), QStringLiteral("usb-headset"));

        // Focused, the box lists the outputs: without a sound device only the
        // system's choice, and the saved output kept as not connected.
        box->setFocus();
        QVERIFY(box->hasFocus());
        QCOMPARE(box->count(), 2);
        QCOMPARE(box->currentText(), QStringLiteral("usb-headset (not connected)"));
        // The arrow keys choose: the player switches at once, the file follows.
        QTest::keyClick(box, Qt::Key_Up);
        QCOMPARE(box->currentText(), QStringLiteral("System default"));
        QCOMPARE(st.main->MediaPlayer1().soundOutput(), QString());
        QCOMPARE(st.base.Read("Vorlix_Sound.txt"), QByteArray("SOUND_OUTPUT=\r\n"));
        QVERIFY(st.crashAndRestart());
        QCOMPARE(st.ui().cbSoundOutput->count(), 1);
        QCOMPARE(st.ui().cbSoundOutput->currentText(), QStringLiteral("System default"));

        // Outputs the device offers are listed by their descriptions; the one
        // chosen is saved by its id and shown again after a restart.
        box = st.ui().cbSoundOutput;
        box->setLister([] {
            return QList<AudioBackend::Output>{{"hdmi", "HDMI Audio"}, {"usb-headset", "USB Headset"}};
        });
        box->setFocus();
        QCOMPARE(box->count(), 3);
        QTest::keyClick(box, Qt::Key_End);
        QCOMPARE(box->currentText(), QStringLiteral("USB Headset"));
        QCOMPARE(st.main->MediaPlayer1().soundOutput(), QStringLiteral("usb-headset"));
        QVERIFY(st.crashAndRestart());
        QCOMPARE(st.ui().cbSoundOutput->currentText(), QStringLiteral("usb-headset"));
        QCOMPARE(st.main->MediaPlayer1().soundOutput(), QStringLiteral("usb-headset"));

        // A file that cannot be replaced is said; the choice still applies.
        QVERIFY(QFile::remove(st.base.file("Vorlix_Sound.txt")));
        QVERIFY(QDir(st.base.path()).mkdir("Vorlix_Sound.txt"));
        box = st.ui().cbSoundOutput;
        box->setFocus();
        const QStringList shown = st.shownBy([&] { QTest::keyClick(box, Qt::Key_Home); });
        QCOMPARE(shown, QStringList{"Cannot create file " + st.base.file("Vorlix_Sound.txt")});
        QCOMPARE(st.main->MediaPlayer1().soundOutput(), QString());

        // A device lost while playing is told in the panel, without a box.
        st.dialogs.shown.clear();
        emit st.main->MediaPlayer1().soundLost();
        QCOMPARE(st.ui().pnMessage->text(),
                 QStringLiteral("The sound device is gone; the test goes on without sound."));
        QVERIFY(st.dialogs.shown.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
