// The ranking of all standalone logs (order, ties, sub-folders, bad files,
// the results file) and the three windows around it: the ranking view, the
// administrator's scoring dialog and the password dialog.

#include "TempBase.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "ui_TfmCollectScores.h"
#include "ui_TfmScoreLogs.h"
#include "ui_TfmShowScores.h"
#include "util/StationError.h"
#include "util/TextFile.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

namespace {

// `count` distinct calls of `length` characters starting with `prefix`.
QStringList MakeCalls(const QString &prefix, int count, int length)
{
    QStringList calls;
    for (int i = 0; i < count; ++i)
        calls.append((prefix + QString::number(i)).leftJustified(length, u'X'));
    return calls;
}

// A base folder with StandAloneLogs and a calls file holding `calls`.
struct Station
{
    TempBase base;
    explicit Station(const QStringList &calls)
    {
        QDir().mkpath(logs());
        base.WriteLines("SACalls.txt", calls);
    }
    QString logs() const { return base.file("StandAloneLogs"); }
    QString calls() const { return base.file("SACalls.txt"); }
    QStringList rank() const { return ScoreStandAloneLogs(logs(), calls()); }
};

} // namespace

class TestStandAloneScoring : public QObject
{
    Q_OBJECT

private slots:
    void ranksByCallsThenCharsThenName()
    {
        const QStringList alpha = MakeCalls("A", 8, 5) + MakeCalls("AA", 2, 6); // 10 calls, 52 chars
        const QStringList bravo = MakeCalls("B", 10, 6);                        // 10 calls, 60 chars
        const QStringList charlie = MakeCalls("C", 12, 4);                      // 12 calls, 48 chars
        Station s(alpha + bravo + charlie);
        s.base.WriteLines("StandAloneLogs/ALPHA.log", alpha + QStringList{"N0PE", "XX9XX"});
        s.base.WriteLines("StandAloneLogs/BRAVO.log", bravo);
        s.base.WriteLines("StandAloneLogs/CHARLIE.log", QStringList{"WRONG"} + charlie);
        // Files that are not logs are not ranked; the extension's case is free.
        s.base.WriteLines("StandAloneLogs/notes.txt", {"A0XXX"});
        s.base.WriteLines("StandAloneLogs/ALPHA.log.bak", {"A0XXX"});
        s.base.WriteLines("StandAloneLogs/PLAYER1.LOG", {"c0xx", "zzz"});
        s.base.WriteLines("StandAloneLogs/EMPTY.log", {});
        const QStringList lines = s.rank();
        QCOMPARE(lines,
                 (QStringList{"CHARLIE,12,48", "BRAVO,10,60", "ALPHA,10,52", "PLAYER1,1,4", "EMPTY,0,0"}));
        TextFile::writeLines(s.base.file("zzSAResults.txt"), lines.mid(0, 3));
        QCOMPARE(s.base.Read("zzSAResults.txt"),
                 QByteArray("CHARLIE,12,48\r\nBRAVO,10,60\r\nALPHA,10,52\r\n"));

        // Logs in sub-folders count; equal scores rank alphabetically, letter
        // case first, and the same name in two folders is kept twice.
        Station t({"K1ABC", "DL1XYZ", "G4XYZ"});
        t.base.WriteLines("StandAloneLogs/bravo.log", {"K1ABC", "G4XYZ"});
        t.base.WriteLines("StandAloneLogs/Alpha.log", {"g4xyz", "k1abc"});
        t.base.WriteLines("StandAloneLogs/2023/charlie.log", {"K1ABC", "G4XYZ"});
        t.base.WriteLines("StandAloneLogs/2023/old/DELTA.log", {"K1ABC", "DL1XYZ", "G4XYZ"});
        t.base.WriteLines("StandAloneLogs/2022/ALPHA.log", {"K1ABC", "G4XYZ"});
        // Deeper than the record's bounded path: still read where it lies.
        t.base.WriteLines("StandAloneLogs/" + QString(120, 'd') + "/" + QString(120, 'e') + "/ECHO.log",
                          {"DL1XYZ"});
        const QStringList expected{"DELTA,3,16", "ALPHA,2,10",   "Alpha,2,10",
                                   "bravo,2,10", "charlie,2,10", "ECHO,1,6"};
        QCOMPARE(t.rank(), expected);
        // A linked folder is not followed (a loop would never end).
        QVERIFY(QFile::link(t.logs(), t.logs() + "/2023/loop"));
        QCOMPARE(t.rank(), expected);
    }

    void missingAndBadFiles()
    {
        const QString huge(1 << 20, u'Q');
        Station s({"K1ABC", "OZ\u00d81A", huge});
        QCOMPARE(s.rank(), QStringList());
        // A folder that is not there holds no logs.
        QCOMPARE(ScoreStandAloneLogs(s.base.file("Nowhere"), s.calls()), QStringList());

        // Binary bytes, a Windows-1252 letter and megabyte-long lines.
        QByteArray binary("K1ABC\r\n");
        for (int i = 0; i < 4096; ++i)
            binary += char(i * 37 % 256); // every byte value, NUL and invalid UTF-8 included
        s.base.Write("StandAloneLogs/BIN.log", binary + "\r\nOZ\xd8"
                                                        "1A\r\n");
        s.base.Write("StandAloneLogs/LONG.log",
                     QByteArray(3 << 20, 'Z') + "\nk1abc\n" + huge.toLatin1().toLower() + "\n");
        // Neither a folder named like a log nor a named pipe (which would block
        // the station when opened) is read as one.
        QVERIFY(QDir().mkpath(s.logs() + "/GHOST.log/inner"));
        QCOMPARE(::mkfifo(QFile::encodeName(s.logs() + "/PIPE.log").constData(), 0600), 0);
        QCOMPARE(s.rank(), (QStringList{"LONG,2,1048581", "BIN,2,10"}));

        // Without the calls file the whole scoring fails.
        QFile::remove(s.calls());
        try {
            s.rank();
            QFAIL("scored without a calls file");
        } catch (const StationError &e) {
            QCOMPARE(e.text(), "Cannot open file " + s.calls());
        }
    }

    void showScoresWindow()
    {
        TfmShowScores window;
        QTableWidget *list = window.ui()->lvScores;
        window.Fill("OLD1", {"X,1,1", "Y,2,2", "Z,3,3", "W,4,4"});
        window.Fill("K5XX", {"CHARLIE,12,48", "bad line", "BRAVO,,10,60", "TOO,MANY,1,2", "ALPHA,10,52", ""});
        QStringList cells{window.ui()->ebPlayer->text()};
        for (int r = 0; r < list->rowCount(); ++r)
            for (int c = 0; c < list->columnCount(); ++c)
                cells.append(list->item(r, c)->text());
        QCOMPARE(cells.join(u' '), QStringLiteral("K5XX 1 CHARLIE 12 48 2 BRAVO 10 60 3 ALPHA 10 52"));
        QVERIFY(!(list->item(0, 1)->flags() & Qt::ItemIsEditable));
        window.Fill("K5XX", {});
        QCOMPARE(list->rowCount(), 0);
    }

    void scoreLogsDialog()
    {
        TfmScoreLogs dialog;
        Ui::TfmScoreLogs *ui = dialog.ui();
        QStringList asked;
        QString answer = "/base/results.txt";
        dialog.setFileChooser([&](QWidget *parent, const QString &initialFolder) {
            asked.append(initialFolder);
            return parent == &dialog ? answer : QString();
        });
        dialog.setBaseFolder("/base");
        dialog.show();
        QTest::mouseClick(ui->bnBrowse, Qt::LeftButton);
        QCOMPARE(asked, QStringList{"/base"});
        QCOMPARE(dialog.destinationFile(), QStringLiteral("/base/results.txt"));
        // Cancelling the save dialog keeps the file chosen before.
        answer.clear();
        dialog.bnBrowseClick();
        QCOMPARE(dialog.destinationFile(), QStringLiteral("/base/results.txt"));
        QTest::mouseClick(ui->bnScoreLogs, Qt::LeftButton);
        QVERIFY(dialog.scoreRequested() && !dialog.isVisible());

        // The next showing starts without a request; Cancel makes none.
        dialog.show();
        QVERIFY(!dialog.scoreRequested());
        QTest::mouseClick(ui->bnCancel, Qt::LeftButton);
        QVERIFY(!dialog.isVisible() && !dialog.scoreRequested());
    }

    void passwordDialog()
    {
        TfmCollectScores dialog;
        Ui::TfmCollectScores *ui = dialog.ui();
        QCOMPARE(ui->ebPassWord->echoMode(), QLineEdit::Password);
        // Letter case is ignored, only the first 30 characters count, and the
        // box is emptied whatever was typed.
        const struct
        {
            QString expected, typed;
            bool accepted;
        } rows[] = {{"owner-rattle-owner", "OWNER-Rattle-owner", true},
                    {"owner-rattle-owner", "owner-rattle-owne", false},
                    {QString(40, 'p'), QString(30, 'P'), true}};
        for (const auto &row : rows) {
            dialog.setExpectedPassword(row.expected);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(!dialog.accepted());
            ui->ebPassWord->setFocus();
            QTest::keyClicks(ui->ebPassWord, row.typed);
            QTest::mouseClick(ui->bnSubmit, Qt::LeftButton);
            QVERIFY(ui->ebPassWord->text().isEmpty() && !dialog.isVisible());
            QCOMPARE(dialog.accepted(), row.accepted);
        }

        // Enter submits; Escape closes without accepting.
        dialog.show();
        ui->ebPassWord->setFocus();
        QTest::keyClicks(ui->ebPassWord, QString(30, 'p'));
        QTest::keyClick(ui->ebPassWord, Qt::Key_Return);
        QVERIFY(dialog.accepted());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible() && !dialog.accepted());
    }
};

QTEST_MAIN(TestStandAloneScoring)
#include "tst_standalonescoring.moc"
