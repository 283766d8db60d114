// The ranking of all standalone logs (order, ties, sub-folders, bad files,
// a missing calls file) and the three windows around it: the ranking view,
// the administrator's scoring dialog and the password dialog.

#include "TempBase.h"
#include "logentry/StandAloneScoring.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "ui_TfmCollectScores.h"
#include "ui_TfmScoreLogs.h"
#include "ui_TfmShowScores.h"

#include <QDir>
#include <QTest>

#include <sys/stat.h>

namespace {

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
        // More calls outrank more characters, which outrank the name; wrong calls count nothing.
        Station s({"K1ABC", "W1AW", "DL1XYZ", "OH2BH", "N1A", "N1B", "N1C"});
        s.base.WriteLines("StandAloneLogs/ALPHA.log", {"K1ABC", "N0PE", "W1AW", "XX9XX"});
        s.base.WriteLines("StandAloneLogs/BRAVO.log", {"DL1XYZ", "OH2BH"});
        s.base.WriteLines("StandAloneLogs/CHARLIE.log", {"WRONG", "N1A", "N1B", "N1C"});
        // Files that are not logs are not ranked; the extension's case is free.
        s.base.WriteLines("StandAloneLogs/notes.txt", {"K1ABC"});
        s.base.WriteLines("StandAloneLogs/ALPHA.log.bak", {"K1ABC"});
        s.base.WriteLines("StandAloneLogs/PLAYER1.LOG", {"n1a", "zzz"});
        s.base.WriteLines("StandAloneLogs/EMPTY.log", {});
        QCOMPARE(s.rank(),
                 (QStringList{"CHARLIE,3,9", "BRAVO,2,11", "ALPHA,2,9", "PLAYER1,1,3", "EMPTY,0,0"}));

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
        // A folder that is not there holds no logs; a missing calls file fails even so.
        QCOMPARE(ScoreStandAloneLogs(s.base.file("Nowhere"), s.calls()), QStringList());
        const QString none = s.base.file("none.txt");
        QCOMPARE(StationErrorOf([&] { ScoreStandAloneLogs(s.base.file("Nowhere"), none); }),
                 "Cannot open file " + none);

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
        // Letter case is ignored, only the first 30 characters count, Enter
        // submits as the button does, and the box is emptied whatever was typed.
        const struct
        {
            QString expected, typed;
            bool byEnter, accepted;
        } rows[] = {{"owner-rattle-owner", "OWNER-Rattle-owner", false, true},
                    {"owner-rattle-owner", "owner-rattle-owne", false, false},
                    {QString(40, 'p'), QString(30, 'P'), true, true}};
        for (const auto &row : rows) {
            dialog.setExpectedPassword(row.expected);
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QVERIFY(!dialog.accepted());
            ui->ebPassWord->setFocus();
            QTest::keyClicks(ui->ebPassWord, row.typed);
            if (row.byEnter)
                QTest::keyClick(ui->ebPassWord, Qt::Key_Return);
            else
                QTest::mouseClick(ui->bnSubmit, Qt::LeftButton);
            QVERIFY(ui->ebPassWord->text().isEmpty() && !dialog.isVisible());
            QCOMPARE(dialog.accepted(), row.accepted);
        }

        // Escape closes without accepting.
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        QVERIFY(!dialog.isVisible() && !dialog.accepted());
    }
};

QTEST_MAIN(TestStandAloneScoring)
#include "tst_standalonescoring.moc"
