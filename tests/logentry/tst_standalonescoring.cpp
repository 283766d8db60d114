// The ranking of all standalone logs (order, ties, sub-folders, bad files,
// the results file) and the three windows around it: the ranking view, the
// administrator's scoring dialog and the password dialog.

#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "ui_TfmCollectScores.h"
#include "ui_TfmScoreLogs.h"
#include "ui_TfmShowScores.h"
#include "util/StationError.h"
#include "util/TPlayerScore.h"
#include "util/TextFile.h"

#include <QDir>
#include <QHeaderView>
#include <QTest>

#include <sys/stat.h>

namespace {

// `count` distinct calls of `length` characters starting with `prefix`.
QStringList MakeCalls(const QString &prefix, int count, int length)
{
    QStringList calls;
    for (int i = 0; i < count; ++i) {
        QString call = prefix + QString::number(i);
        call += QString(length - call.size(), u'X');
        calls.append(call);
    }
    return calls;
}

QString ErrorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const StationError &e) {
        return e.text();
    }
    return QString();
}

} // namespace

class TestStandAloneScoring : public QObject
{
    Q_OBJECT

private:
    // A base folder with StandAloneLogs and a calls file holding `calls`.
    struct Station
    {
        TempBase base;
        QString logs() const { return base.file("StandAloneLogs"); }
        QString calls() const { return base.file("SACalls.txt"); }
        QStringList rank() const { return ScoreStandAloneLogs(logs(), calls()); }
    };

    static void WriteStation(Station &s, const QStringList &calls)
    {
        QDir().mkpath(s.logs());
        s.base.WriteLines("SACalls.txt", calls);
    }

private slots:
    void ranksByCallsThenChars()
    {
        Station s;
        const QStringList alpha = MakeCalls("A", 8, 5) + MakeCalls("AA", 2, 6); // 10 calls, 52 chars
        const QStringList bravo = MakeCalls("B", 10, 6);                        // 10 calls, 60 chars
        const QStringList charlie = MakeCalls("C", 12, 4);                      // 12 calls, 48 chars
        WriteStation(s, alpha + bravo + charlie);
        s.base.WriteLines("StandAloneLogs/ALPHA.log", alpha + QStringList{"N0PE", "XX9XX"});
        s.base.WriteLines("StandAloneLogs/BRAVO.log", bravo);
        s.base.WriteLines("StandAloneLogs/CHARLIE.log", QStringList{"WRONG"} + charlie);
        // Files that are not logs are not ranked; the extension's case is free.
        s.base.WriteLines("StandAloneLogs/notes.txt", {"A0XXX"});
        s.base.WriteLines("StandAloneLogs/ALPHA.log.bak", {"A0XXX"});
        s.base.WriteLines("StandAloneLogs/TimedScores/TS_ALPHA.txt", {"1,1,5"});
        s.base.WriteLines("StandAloneLogs/PLAYER1-052626-0815.LOG", {"c0xx", "zzz"});
        s.base.WriteLines("StandAloneLogs/EMPTY.log", {});

        const QStringList lines = s.rank();
        QCOMPARE(lines, (QStringList{"CHARLIE,12,48", "BRAVO,10,60", "ALPHA,10,52", "PLAYER1-052626-0815,1,4",
                                     "EMPTY,0,0"}));
        TextFile::writeLines(s.base.file("zzSAResults.txt"), lines.mid(0, 3));
        QCOMPARE(s.base.Read("zzSAResults.txt"),
                 QByteArray("CHARLIE,12,48\r\nBRAVO,10,60\r\nALPHA,10,52\r\n"));

        // Result lines are cut at 50 characters.
        s.base.WriteLines("StandAloneLogs/ABCDEFGHIJKLMNOPQRSTUVWXYZ.log", charlie);
        QCOMPARE(s.rank().first(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV,12,48"));
    }

    void emptyAndMissing()
    {
        Station s;
        WriteStation(s, {"K1ABC"});
        QCOMPARE(s.rank(), QStringList());
        TextFile::writeLines(s.base.file("zzSAResults.txt"), s.rank());
        QCOMPARE(s.base.Read("zzSAResults.txt"), QByteArray());
        // A folder that is not there holds no logs.
        QCOMPARE(ScoreStandAloneLogs(s.base.file("Nowhere"), s.calls()), QStringList());

        // Without the calls file the whole scoring fails, logs or not.
        QFile::remove(s.calls());
        QCOMPARE(ErrorOf([&] { s.rank(); }), QStringLiteral("Cannot open file ") + s.calls());
        s.base.WriteLines("StandAloneLogs/K1ABC.log", {"K1ABC"});
        QCOMPARE(ErrorOf([&] { s.rank(); }), QStringLiteral("Cannot open file ") + s.calls());
    }

    void subFoldersAndTies()
    {
        Station s;
        WriteStation(s, {"K1ABC", "DL1XYZ", "G4XYZ"});
        s.base.WriteLines("StandAloneLogs/bravo.log", {"K1ABC", "G4XYZ"});
        s.base.WriteLines("StandAloneLogs/Alpha.log", {"g4xyz", "k1abc"});
        s.base.WriteLines("StandAloneLogs/2023/charlie.log", {"K1ABC", "G4XYZ"});
        s.base.WriteLines("StandAloneLogs/2023/old/DELTA.log", {"K1ABC", "DL1XYZ", "G4XYZ"});
        // Deeper than the record's bounded path: still read where it lies.
        const QString deep = "StandAloneLogs/" + QString(120, 'd') + "/" + QString(120, 'e') + "/ECHO.log";
        s.base.WriteLines(deep, {"DL1XYZ"});
        QVERIFY(s.base.file(deep).size() > 260);
        // The same name twice (in two folders) with the same score: both kept.
        s.base.WriteLines("StandAloneLogs/2022/ALPHA.log", {"K1ABC", "G4XYZ"});

        QCOMPARE(s.rank(), (QStringList{"DELTA,3,16", "ALPHA,2,10", "Alpha,2,10", "bravo,2,10",
                                        "charlie,2,10", "ECHO,1,6"}));

        const std::vector<FoundLog> found = FindAllLogFiles(s.logs());
        QCOMPARE(found.size(), size_t(6));
        QCOMPARE(found[0].folder, s.logs() + "/");
        QCOMPARE(found[0].fileName, QStringLiteral("Alpha.log"));
        QCOMPARE(found[1].fileName, QStringLiteral("bravo.log"));
        QCOMPARE(found[2].folder + found[2].fileName, s.logs() + "/2022/ALPHA.log");
        QCOMPARE(found[3].folder + found[3].fileName, s.logs() + "/2023/charlie.log");
        QCOMPARE(found[4].folder + found[4].fileName, s.logs() + "/2023/old/DELTA.log");
        QCOMPARE(found[5].folder + found[5].fileName, s.base.file(deep));

        // A linked folder is not followed (a loop would never end).
        QVERIFY(QFile::link(s.logs(), s.logs() + "/2023/loop"));
        QCOMPARE(FindAllLogFiles(s.logs()).size(), size_t(6));
    }

    void badLogFiles()
    {
        Station s;
        const QString huge(1 << 20, u'Q');
        WriteStation(s, {"K1ABC", "OZ\u00d81A", huge});
        QByteArray binary("K1ABC\r\n");
        for (int i = 0; i < 4096; ++i)
            binary += char(i * 37 % 256); // every byte value, NUL and invalid UTF-8 included
        binary += "\r\nOZ\xd8"
                  "1A\r\n"; // a slashed zero written as Windows-1252
        s.base.Write("StandAloneLogs/BIN.log", binary);
        QByteArray longLines = QByteArray(3 << 20, 'Z') + "\nk1abc\n" + huge.toLatin1().toLower() + "\n";
        s.base.Write("StandAloneLogs/LONG.log", longLines);
        QCOMPARE(s.rank(), (QStringList{"LONG,2,1048581", "BIN,2,10"}));

        // A log that cannot be read stops the scoring and names the file.
        const QString ghost = s.logs() + "/GHOST.log";
        QVERIFY(QDir().mkpath(ghost + "/inner")); // a folder is not listed as a log
        QCOMPARE(s.rank().size(), 2);
        // Nor is a named pipe, which would block the station when opened.
        QCOMPARE(::mkfifo(QFile::encodeName(s.logs() + "/PIPE.log").constData(), 0600), 0);
        QCOMPARE(s.rank().size(), 2);
        TPlayerScore unreadable("GHOST.log", s.logs() + "/");
        QCOMPARE(ErrorOf([&] { unreadable.Score(s.calls()); }), QStringLiteral("Cannot open file ") + ghost);
    }

    void showScoresWindow()
    {
        TfmShowScores window;
        Ui::TfmShowScores *ui = window.ui();
        QCOMPARE(window.windowTitle(), QStringLiteral("Scores of Previous Players"));
        QCOMPARE(
            ui->moInstruct->toPlainText().split('\n'),
            (QStringList{"Here's how your score compares to others who have taken the test.",
                         "1. The CALLS column is the number of complete calls copied.",
                         "2. The CHARS column is the number of characters in the correctly copied calls.", "",
                         "The list is ordered by CALLS, then by CHARS, and finally alpha by PLAYER. "}));
        QCOMPARE(ui->Label1->text(), QStringLiteral("Current Player"));
        QVERIFY(ui->Label1->font().bold());
        QVERIFY(ui->ebPlayer->isReadOnly());
        QVERIFY(ui->ebPlayer->font().bold());
        QCOMPARE(ui->Button1->text(), QStringLiteral("Close"));
        QTableWidget *list = ui->lvScores;
        QCOMPARE(list->columnCount(), 4);
        const QStringList titles{"Rank", "Player", "Calls", "Chars"};
        for (int c = 0; c < 4; ++c)
            QCOMPARE(list->horizontalHeaderItem(c)->text(), titles[c]);
        QVERIFY(list->showGrid());
        QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);

        window.Fill("OLD1", {"X,1,1", "Y,2,2", "Z,3,3", "W,4,4"});
        window.Fill("K5XX", {"CHARLIE,12,48", "bad line", "BRAVO,,10,60", "TOO,MANY,1,2", "ALPHA,10,52", ""});
        QCOMPARE(ui->ebPlayer->text(), QStringLiteral("K5XX"));
        QCOMPARE(list->rowCount(), 3);
        const QList<QStringList> rows{
            {"1", "CHARLIE", "12", "48"}, {"2", "BRAVO", "10", "60"}, {"3", "ALPHA", "10", "52"}};
        for (int r = 0; r < 3; ++r) {
            for (int c = 0; c < 4; ++c)
                QCOMPARE(list->item(r, c)->text(), rows[r][c]);
            QVERIFY(list->item(r, 2)->textAlignment() & Qt::AlignRight);
            QVERIFY(list->item(r, 3)->textAlignment() & Qt::AlignRight);
            QVERIFY(!(list->item(r, 1)->flags() & Qt::ItemIsEditable));
        }
        window.Fill("K5XX", {});
        QCOMPARE(list->rowCount(), 0);

        // Shown modally by the caller; "Close" closes it.
        ScriptedDialogs dialogs;
        dialogs.modalScripts.append([](QDialog *d) {
            auto *w = static_cast<TfmShowScores *>(d);
            QTest::mouseClick(w->ui()->Button1, Qt::LeftButton);
            return d->isVisible() ? -1 : d->result();
        });
        window.Fill("K5XX", {"CHARLIE,12,48"});
        QCOMPARE(dialogs.ShowModal(&window), int(QDialog::Accepted));
        QCOMPARE(list->rowCount(), 1);
    }

    void scoreLogsDialog()
    {
        TfmScoreLogs dialog;
        Ui::TfmScoreLogs *ui = dialog.ui();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Scoring Standalone Logs"));
        QCOMPARE(ui->moInfo->toPlainText().split('\n'),
                 (QStringList{"Clicking on the Score Logs button will calculate the score of each log in the "
                              "StandAloneLogs directory and will write the ",
                              "results to the specified destination file."}));
        QCOMPARE(ui->Label1->text(), QStringLiteral("Browse to specify destination file"));
        QCOMPARE(ui->bnBrowse->text(), QStringLiteral("Browse"));
        QCOMPARE(ui->bnScoreLogs->text(), QStringLiteral("Score Logs"));
        QCOMPARE(ui->bnCancel->text(), QStringLiteral("Cancel"));
        QVERIFY(ui->ebDestinationFile->isReadOnly());
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());

        QStringList asked;
        QList<QWidget *> parents;
        QString answer = "/base/results.txt";
        dialog.setFileChooser([&](QWidget *parent, const QString &initialFolder) {
            parents.append(parent);
            asked.append(initialFolder);
            return answer;
        });
        dialog.setBaseFolder("/base");

        dialog.show();
        QTest::mouseClick(ui->bnBrowse, Qt::LeftButton);
        QCOMPARE(asked, QStringList{"/base"});
        QCOMPARE(parents, QList<QWidget *>{&dialog});
        QCOMPARE(dialog.destinationFile(), QStringLiteral("/base/results.txt"));
        // Cancelling the save dialog keeps the file chosen before.
        answer.clear();
        dialog.bnBrowseClick();
        QCOMPARE(dialog.destinationFile(), QStringLiteral("/base/results.txt"));
        QTest::mouseClick(ui->bnScoreLogs, Qt::LeftButton);
        QVERIFY(dialog.scoreRequested());
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        // The next showing starts without a request and keeps the file.
        dialog.show();
        QVERIFY(!dialog.scoreRequested());
        QCOMPARE(dialog.destinationFile(), QStringLiteral("/base/results.txt"));
        QTest::mouseClick(ui->bnCancel, Qt::LeftButton);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.scoreRequested());

        // Escape closes it without a request.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.scoreRequested());
    }

    void passwordDialog()
    {
        TfmCollectScores dialog;
        Ui::TfmCollectScores *ui = dialog.ui();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Password Entry"));
        QCOMPARE(ui->Label1->text(), QStringLiteral("Please enter the admin password"));
        QCOMPARE(ui->bnSubmit->text(), QStringLiteral("Submit"));
        QCOMPARE(ui->ebPassWord->echoMode(), QLineEdit::Password);
        QVERIFY(ui->ebPassWord->styleSheet().contains("lineedit-password-character: 46"));
        QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
        dialog.setExpectedPassword("owner-rattle-owner");

        auto submit = [&](const QString &typed) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(!dialog.accepted());
            ui->ebPassWord->setFocus();
            QTest::keyClicks(ui->ebPassWord, typed);
            QCOMPARE(ui->ebPassWord->text(), typed);
            QTest::mouseClick(ui->bnSubmit, Qt::LeftButton);
            QCOMPARE(ui->ebPassWord->text(), QString());
            QVERIFY(!dialog.isVisible());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
        };
        submit("OWNER-Rattle-owner");
        QVERIFY(dialog.accepted());
        submit("owner-rattle-owne");
        QVERIFY(!dialog.accepted());
        submit("owner-rattle-owner");
        QVERIFY(dialog.accepted());

        // Enter submits; Escape closes without accepting.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        ui->ebPassWord->setFocus();
        QTest::keyClicks(ui->ebPassWord, "Owner-Rattle-Owner");
        QTest::keyClick(ui->ebPassWord, Qt::Key_Return);
        QVERIFY(dialog.accepted());
        QCOMPARE(ui->ebPassWord->text(), QString());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible());
        QVERIFY(!dialog.accepted());

        // Only the first 30 characters of the password count.
        dialog.setExpectedPassword(QString(40, 'p'));
        submit(QString(30, 'P'));
        QVERIFY(dialog.accepted());
    }
};

QTEST_MAIN(TestStandAloneScoring)
#include "tst_standalonescoring.moc"
