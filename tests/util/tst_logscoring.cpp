// Scoring a log against a check list: the matching rule, the score text, the
// player-score record (name, path, result line, order), missing files, and
// the indexed check list against a plain linear search on random data.

#include "TempBase.h"
#include "util/LogScoring.h"
#include "util/StationError.h"
#include "util/TPlayerScore.h"
#include "util/TextFile.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>
#include <vector>

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

class TestLogScoring : public QObject
{
    Q_OBJECT

private:
    TempBase m_base;

    TScore score(const QStringList &checkLines, const QStringList &logLines)
    {
        m_base.WriteLines("check.txt", checkLines);
        m_base.WriteLines("player.log", logLines);
        return ScoreLog(m_base.file("check.txt"), m_base.file("player.log"));
    }

private slots:
    void matchingRule()
    {
        const QStringList check{"K1ABC", "DL1XYZ", "W1AW ", " G4ABC", "OZ\u00d81A"};
        // Letter case ignored: a five-letter call in lower case counts 1/5.
        QCOMPARE(score(check, {"k1abc"}), (TScore{1, 5}));
        // Blanks and control characters around the call are not counted.
        QCOMPARE(score(check, {"  K1abc\t"}), (TScore{1, 5}));
        QCOMPARE(score(check, {QString("\x01"
                                       "DL1XYZ\x7f\u0085")}),
                 (TScore{1, 6}));
        // Check-list lines stand as they are: a trailing or leading blank
        // there matches no trimmed log line.
        QCOMPARE(score(check, {"W1AW", "W1AW ", "G4ABC", " G4ABC"}), (TScore{0, 0}));
        // Repeats count every time; calls not on the list add nothing.
        QCOMPARE(score(check, {"K1ABC", "N0NE", "k1abc", "DL1XY", "DL1XYZZ"}), (TScore{2, 10}));
        QCOMPARE(score(check, {"oz\u00f81a"}), (TScore{1, 5}));
        // An empty log scores nothing.
        QCOMPARE(score(check, {}), (TScore{0, 0}));
        // A blank log line counts (with 0 characters) only against an empty
        // check-list line, wherever it stands in the list.
        QCOMPARE(score(check, {"", "   ", "\t"}), (TScore{0, 0}));
        QCOMPARE(score({"K1ABC", "", "W1AW"}, {"", "  ", "K1ABC"}), (TScore{3, 5}));
        QCOMPARE(score({"K1ABC", ""}, {" \t "}), (TScore{1, 0}));

        // Any line end is read, and a final line end adds no empty line.
        m_base.Write("mixed.txt", "K1ABC\rDL1XYZ\nG4XYZ\r\n");
        m_base.Write("mixed.log", "g4xyz\rdl1xyz\r\nk1abc\n\n");
        QCOMPARE(ScoreLog(m_base.file("mixed.txt"), m_base.file("mixed.log")), (TScore{3, 16}));

        // The same through a check list loaded once.
        const CheckList list(check);
        QCOMPARE(list.size(), 5);
        QVERIFY(list.contains(u"dl1xyz"));
        QVERIFY(!list.contains(u"W1AW"));
        QVERIFY(!list.contains(u""));
        QCOMPARE(ScoreLines(list, {"K1ABC", " k1abc ", "x"}), (TScore{2, 10}));
        QCOMPARE(TrimLogLine(u" \t\x01 ab c \r\n"), QStringView(u"ab c"));
    }

    void scoreText()
    {
        QCOMPARE(ScoreText(TScore{}), QStringLiteral("Correct calls/chars=0/0"));
        QCOMPARE(ScoreText(TScore{12, 30}), QStringLiteral("Correct calls/chars=12/30"));
        QCOMPARE(ScoreText(TScore{12, 30}, 22), QStringLiteral("Correct calls/chars=12"));
        QCOMPARE(ScoreText(TScore{123456, 7654321}), QStringLiteral("Correct calls/chars=123456/765"));
    }

    void missingFilesRaise()
    {
        m_base.WriteLines("present.txt", {"K1ABC"});
        m_base.WriteLines("present.log", {"K1ABC"});
        const QString noList = m_base.file("absent.txt");
        const QString noLog = m_base.file("absent.log");
        QCOMPARE(ErrorOf([&] { ScoreLog(noList, m_base.file("present.log")); }),
                 QStringLiteral("Cannot open file ") + noList);
        QCOMPARE(ErrorOf([&] { ScoreLog(m_base.file("present.txt"), noLog); }),
                 QStringLiteral("Cannot open file ") + noLog);
        QCOMPARE(ErrorOf([&] { CheckList::Load(noList); }), QStringLiteral("Cannot open file ") + noList);
        // A folder is not a readable file either.
        QCOMPARE(ErrorOf([&] { ScoreLog(m_base.file("present.txt"), m_base.path()); }),
                 QStringLiteral("Cannot open file ") + m_base.path());

        // A record whose log has gone keeps its old score.
        TPlayerScore record("absent.log", m_base.path() + "/");
        record.calls = 3;
        record.chars = 9;
        QCOMPARE(ErrorOf([&] { record.Score(m_base.file("present.txt")); }),
                 QStringLiteral("Cannot open file ") + noLog);
        QCOMPARE(record.calls, 3);
        QCOMPARE(record.chars, 9);
    }

    void playerScoreRecord()
    {
        QCOMPARE(TPlayerScore::NameOf("DL1ABC.log"), QStringLiteral("DL1ABC"));
        QCOMPARE(TPlayerScore::NameOf("PLAYER1-052626-0815.log"), QStringLiteral("PLAYER1-052626-0815"));
        QCOMPARE(TPlayerScore::NameOf("old\\K5XX.log"), QStringLiteral("K5XX"));
        QCOMPARE(TPlayerScore::NameOf("/base/StandAloneLogs/sub/W1AW.LOG"), QStringLiteral("W1AW"));
        // Inner dots: only the part after the last one is kept.
        QCOMPARE(TPlayerScore::NameOf("A.B.log"), QStringLiteral("B"));
        QCOMPARE(TPlayerScore::NameOf("K5XX..log"), QStringLiteral("K5XX"));
        QCOMPARE(TPlayerScore::NameOf("ABCDEFGHIJKLMNOPQRSTUVWXYZ.log"),
                 QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV"));
        // No second piece: the last path component as it stands.
        QCOMPARE(TPlayerScore::NameOf("K5XX"), QStringLiteral("K5XX"));
        QCOMPARE(TPlayerScore::NameOf("dir/K5XX"), QStringLiteral("K5XX"));
        QCOMPARE(TPlayerScore::NameOf(".log"), QStringLiteral(".log"));
        QCOMPARE(TPlayerScore::NameOf("dir.d/.log"), QStringLiteral(".log"));
        QCOMPARE(TPlayerScore::NameOf("x.y\\.log"), QStringLiteral(".log"));
        QCOMPARE(TPlayerScore::NameOf("K5XX.log/"), QStringLiteral("K5XX"));
        QCOMPARE(TPlayerScore::NameOf(""), QString());

        const TPlayerScore record("K5XX.log", "/base/StandAloneLogs/");
        QCOMPARE(record.name, QStringLiteral("K5XX"));
        QCOMPARE(record.logFile, QStringLiteral("/base/StandAloneLogs/K5XX.log"));
        QCOMPARE(record.calls, 0);
        QCOMPARE(record.chars, 0);
        QCOMPARE(TPlayerScore("K5XX.log", "/base/logs").logFile, QStringLiteral("/base/logs/K5XX.log"));
        QCOMPARE(TPlayerScore("K5XX.log", "").logFile, QStringLiteral("K5XX.log"));
        const TPlayerScore deep("K5XX.log", "/" + QString(300, 'd') + "/");
        QCOMPARE(deep.logFile.size(), 260);

        TPlayerScore scored("K5XX.log", "/x/");
        scored.calls = 12;
        scored.chars = 30;
        QCOMPARE(scored.ResultLine(), QStringLiteral("K5XX,12,30"));
        QCOMPARE(scored.ResultLine(7), QStringLiteral("K5XX,12"));
        TPlayerScore longName("ABCDEFGHIJKLMNOPQRSTUVWXYZ.log", "/x/");
        longName.calls = 1234567890;
        longName.chars = 2000000000;
        QCOMPARE(longName.ResultLine().size(), 44);
        QCOMPARE(longName.ResultLine(40), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV,1234567890,200000"));

        // Scoring by path and by a loaded check list give the same.
        m_base.WriteLines("calls.txt", {"K1ABC", "G4XYZ"});
        m_base.WriteLines("logs/G0ABC.log", {"k1abc", "g4xyz ", "K1ABC", "N0PE"});
        TPlayerScore byPath("G0ABC.log", m_base.file("logs/"));
        byPath.Score(m_base.file("calls.txt"));
        QCOMPARE(byPath.calls, 3);
        QCOMPARE(byPath.chars, 15);
        TPlayerScore byList("G0ABC.log", m_base.file("logs/"));
        byList.Score(CheckList::Load(m_base.file("calls.txt")));
        QCOMPARE(byList.calls, 3);
        QCOMPARE(byList.chars, 15);
    }

    void rankingOrder()
    {
        auto make = [](const char *name, int calls, int chars) {
            TPlayerScore r(QString(name) + ".log", "/x/");
            r.calls = calls;
            r.chars = chars;
            return r;
        };
        std::vector<TPlayerScore> records{make("A", 10, 40), make("B", 12, 30), make("C", 10, 45)};
        std::sort(records.begin(), records.end(),
                  [](const TPlayerScore &a, const TPlayerScore &b) { return ComparePlayerScores(a, b) < 0; });
        QCOMPARE(records[0].ResultLine(), QStringLiteral("B,12,30"));
        QCOMPARE(records[1].ResultLine(), QStringLiteral("C,10,45"));
        QCOMPARE(records[2].ResultLine(), QStringLiteral("A,10,40"));
        QCOMPARE(ComparePlayerScores(make("X", 5, 5), make("Y", 5, 5)), 0);
        QVERIFY(ComparePlayerScores(make("X", 5, 5), make("Y", 5, 6)) > 0);
        QVERIFY(ComparePlayerScores(make("X", 6, 0), make("Y", 5, 99)) < 0);
    }

    void matchesLinearSearchOnRandomData()
    {
        QRandomGenerator random(20240611);
        // Letters whose case pairs are unusual, beside the plain ones.
        const QString alphabet = QStringLiteral("ABCKabck0129/\u00c4\u00e4\u00df\u1e9e\u03a3\u03c3\u03c2"
                                                "\u0130\u0131i\u212a");
        const QString blanks = QStringLiteral(" \t\x01\x7f\u0085\u00a0");
        auto randomCall = [&] {
            QString call;
            const int length = random.bounded(6);
            for (int i = 0; i < length; ++i)
                call += alphabet[random.bounded(int(alphabet.size()))];
            return call;
        };
        auto randomCase = [&](QString text) {
            for (QChar &c : text)
                c = random.bounded(2) ? c.toUpper() : c.toLower();
            return text;
        };
        auto pad = [&](QString text) {
            const int before = random.bounded(3), after = random.bounded(3);
            for (int i = 0; i < before; ++i)
                text.prepend(blanks[random.bounded(int(blanks.size()))]);
            for (int i = 0; i < after; ++i)
                text.append(blanks[random.bounded(int(blanks.size()))]);
            return text;
        };
        int correctSeen = 0;
        for (int round = 0; round < 300; ++round) {
            QStringList check;
            const int checkSize = random.bounded(40);
            for (int i = 0; i < checkSize; ++i)
                check.append(random.bounded(8) == 0 ? pad(randomCall()) : randomCall());
            QStringList log;
            const int logSize = random.bounded(60);
            for (int i = 0; i < logSize; ++i) {
                QString call = (!check.isEmpty() && random.bounded(2))
                                   ? check[random.bounded(int(check.size()))]
                                   : randomCall();
                log.append(pad(randomCase(call)));
                if (random.bounded(5) == 0)
                    log.append(log.back()); // a repeat
            }
            const TScore expected = LinearScore(check, log);
            correctSeen += expected.calls;
            QCOMPARE(ScoreLines(CheckList(check), log), expected);
            if (round % 20 == 0) {
                // Through the files as well, read back the way the station reads.
                m_base.WriteLines("random.txt", check);
                m_base.WriteLines("random.log", log);
                const TScore fromFiles = LinearScore(TextFile::readLines(m_base.file("random.txt")),
                                                     TextFile::readLines(m_base.file("random.log")));
                QCOMPARE(ScoreLog(m_base.file("random.txt"), m_base.file("random.log")), fromFiles);
            }
        }
        QVERIFY(correctSeen > 1000); // the data really exercised matches
    }
};

QTEST_GUILESS_MAIN(TestLogScoring)
#include "tst_logscoring.moc"
