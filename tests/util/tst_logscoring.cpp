// Scoring a log against a check list: the matching rule, the score text, the
// player-score record (name, path, result line, order), missing files, and
// the indexed check list against a plain linear search on random data.

#include "TempBase.h"
#include "util/LogScoring.h"
#include "util/TPlayerScore.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

// The rule written out the slow, obvious way: every log line trimmed of
// blanks and control characters, searched for from the first check-list
// line with a case-ignoring whole-line comparison.
TScore LinearScore(const QStringList &checkLines, const QStringList &logLines)
{
    auto blank = [](QChar c) { return c.unicode() <= 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F); };
    TScore score;
    for (const QString &line : logLines) {
        qsizetype b = 0, e = line.size();
        while (b < e && blank(line[b]))
            ++b;
        while (e > b && blank(line[e - 1]))
            --e;
        const QString call = line.mid(b, e - b);
        for (const QString &check : checkLines) {
            if (call.compare(check, Qt::CaseInsensitive) == 0) {
                ++score.calls;
                score.chars += int(call.size());
                break;
            }
        }
    }
    return score;
}

TPlayerScore Scored(const QString &fileName, int calls, int chars, const QString &folder = "/x/")
{
    TPlayerScore record(fileName, folder);
    record.calls = calls;
    record.chars = chars;
    return record;
}

} // namespace

class TestLogScoring : public QObject
{
    Q_OBJECT

private:
    TempBase m_base;

private slots:
    void matchingRuleAndMissingFiles()
    {
        const QStringList check{"K1ABC", "DL1XYZ", "W1AW ", " G4ABC", "OZ\u00d81A"};
        // Any line end is read, and a final line end adds no empty line; the
        // repeat counts twice (and tells the check list from the log).
        m_base.Write("mixed.txt", "K1ABC\rDL1XYZ\nG4XYZ\r\n");
        m_base.Write("mixed.log", "g4xyz\rdl1xyz\r\nk1abc\nK1ABC\n\n");
        QCOMPARE(ScoreLog(m_base.file("mixed.txt"), m_base.file("mixed.log")), (TScore{4, 21}));
        // Check-list lines stand as they are: a blank around one matches no
        // trimmed log line; an empty one matches blank log lines.
        QCOMPARE(ScoreLines(CheckList(check), {"W1AW", "W1AW ", "G4ABC", " G4ABC", "", " "}), (TScore{0, 0}));
        QCOMPARE(ScoreLines(CheckList({"K1ABC", "", "W1AW"}), {"", "  ", "K1ABC"}), (TScore{3, 5}));

        // A record whose log has gone keeps its old score; any missing file raises.
        m_base.WriteLines("present.txt", {"K1ABC"});
        TPlayerScore record = Scored("absent.log", 3, 9, m_base.path() + "/");
        for (const auto &[action, missing] : QList<QPair<std::function<void()>, QString>>{
                 {[&] { ScoreLog(m_base.file("absent.txt"), m_base.file("mixed.log")); },
                  m_base.file("absent.txt")},
                 {[&] { CheckList::Load(m_base.file("absent.txt")); }, m_base.file("absent.txt")},
                 {[&] { ScoreLog(m_base.file("present.txt"), m_base.path()); }, m_base.path()},
                 {[&] { record.Score(m_base.file("present.txt")); }, m_base.file("absent.log")}})
            QCOMPARE(StationErrorOf(action), "Cannot open file " + missing);
        QVERIFY(record.calls == 3 && record.chars == 9);
        QCOMPARE(ScoreText(TScore{12, 30}), QStringLiteral("Correct calls/chars=12/30"));
        QCOMPARE(ScoreText(TScore{123456, 7654321}), QStringLiteral("Correct calls/chars=123456/765"));
    }

    void playerScoreRecord()
    {
        // clang-format off
        const QList<QPair<QString, QString>> names = {
            {"old\\K5XX.log", "K5XX"}, {"/base/sub/W1AW.LOG", "W1AW"}, {"A.B.log", "B"},
            {"K5XX..log", "K5XX"}, {"ABCDEFGHIJKLMNOPQRSTUVWXYZ.log", "ABCDEFGHIJKLMNOPQRSTUV"},
            {"dir/K5XX", "K5XX"}, {"dir.d/.log", ".log"}, {"K5XX.log/", "K5XX"}, {"", ""}};
        // clang-format on
        for (const auto &[file, name] : names)
            QCOMPARE(TPlayerScore::NameOf(file), name);
        QCOMPARE(TPlayerScore("K5XX.log", "/base/logs").logFile, QStringLiteral("/base/logs/K5XX.log"));
        QCOMPARE(TPlayerScore("K5XX.log", "/" + QString(300, 'd') + "/").logFile.size(), 260);
        QCOMPARE(Scored("K5XX.log", 12, 30).ResultLine(7), QStringLiteral("K5XX,12"));
        QCOMPARE(Scored("ABCDEFGHIJKLMNOPQRSTUVWXYZ.log", 1234567890, 2000000000).ResultLine(40),
                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV,1234567890,200000"));
        // More calls first, then more characters; equal scores compare equal.
        QVERIFY(ComparePlayerScores(Scored("X", 6, 0), Scored("Y", 5, 99)) < 0);
        QVERIFY(ComparePlayerScores(Scored("X", 5, 5), Scored("Y", 5, 6)) > 0);
        QCOMPARE(ComparePlayerScores(Scored("X", 5, 5), Scored("Y", 5, 5)), 0);

        // Scoring by path and by a loaded check list give the same.
        m_base.WriteLines("calls.txt", {"K1ABC", "G4XYZ"});
        m_base.WriteLines("logs/G0ABC.log", {"k1abc", "g4xyz ", "K1ABC", "N0PE"});
        TPlayerScore byPath("G0ABC.log", m_base.file("logs/")), byList = byPath;
        byPath.Score(m_base.file("calls.txt"));
        byList.Score(CheckList::Load(m_base.file("calls.txt")));
        QVERIFY(byPath.ResultLine() == "G0ABC,3,15" && byList.ResultLine() == byPath.ResultLine());
    }

    void matchesLinearSearchOnRandomData()
    {
        QRandomGenerator random(20240611);
        // Letters whose case pairs are unusual, beside the plain ones.
        const QString alphabet = QStringLiteral("ABCKabck0129/\u00c4\u00e4\u00df\u1e9e\u03a3\u03c3\u03c2"
                                                "\u0130\u0131i\u212a");
        const QString blanks = QStringLiteral(" \t\x01\x7f\u0085\u00a0");
        auto pick = [&](const QString &from) { return from[random.bounded(int(from.size()))]; };
        auto randomCall = [&] {
            QString call;
            for (int i = random.bounded(6); i > 0; --i)
                call += pick(alphabet);
            return call;
        };
        auto pad = [&](QString text) {
            for (int i = random.bounded(5); i > 0; --i)
                text.insert(random.bounded(2) ? 0 : text.size(), pick(blanks));
            return text;
        };
        int correctSeen = 0;
        for (int round = 0; round < 300; ++round) {
            QStringList check, log;
            for (int i = random.bounded(40); i > 0; --i)
                check.append(random.bounded(8) == 0 ? pad(randomCall()) : randomCall());
            for (int i = random.bounded(60); i > 0; --i) {
                QString call = (!check.isEmpty() && random.bounded(2))
                                   ? check[random.bounded(int(check.size()))]
                                   : randomCall();
                for (QChar &c : call)
                    c = random.bounded(2) ? c.toUpper() : c.toLower();
                log.append(pad(call));
                if (random.bounded(5) == 0)
                    log.append(log.back()); // a repeat
            }
            const TScore expected = LinearScore(check, log);
            correctSeen += expected.calls;
            QCOMPARE(ScoreLines(CheckList(check), log), expected);
        }
        QVERIFY(correctSeen > 1000); // the data really exercised matches
    }
};

QTEST_GUILESS_MAIN(TestLogScoring)
#include "tst_logscoring.moc"
