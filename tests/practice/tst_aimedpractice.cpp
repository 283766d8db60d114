// Practice aimed at a player: calls weighted towards his weak characters,
// measured on the check lists of real planned pileups; his weakest
// characters read from what he missed; and the level of his next case from
// his last runs of real cases on disk.

#include "TempBase.h"
#include "pileup-synth/PileupPlanner.h"
#include "pileup-synth/PracticeCase.h"
#include "pileup-synth/WeakCalls.h"
#include "practice/AimedPractice.h"
#include "practice/NextLevel.h"

#include <QDir>
#include <QSet>
#include <QTest>

namespace {

struct Shares
{
    qsizetype weak = 0, all = 0;
    QSet<QChar> seen;
    double share() const { return double(weak) / double(all); }
};

void Count(Shares &shares, const QStringList &calls, const QList<QChar> &weak)
{
    for (const QString &call : calls) {
        shares.weak += WeakCalls::weakIn(call, weak);
        shares.all += call.size();
        for (QChar c : call)
            shares.seen.insert(c);
    }
}

} // namespace

class TestAimedPractice : public QObject
{
    Q_OBJECT

private slots:
    void weakCharactersWeighted()
    {
        // Four contest pileups of 150 callers, drawn from lists three times
        // that size, against the same pileups made up as usual: 600 calls
        // (some 3,600 characters) each way. R, 5 and B make about 6 % of the
        // characters of usual calls and are aimed at four times that; at
        // least 2.5 times leaves room for chance (its spread over this many
        // calls is some 10 % of the ratio) and still fails a weighting that
        // falls well short.
        const QList<QChar> weak{'R', '5', 'B'};
        Shares weighted, usual;
        for (quint64 seed = 1; seed <= 4; ++seed) {
            const SynthOptions options = CaseLevel::find("Contest")->options(5.0, seed);
            const QStringList list = WeakCalls::make(weak, 3 * options.callers, seed);
            QCOMPARE(QSet<QString>(list.begin(), list.end()).size(), qsizetype(3 * options.callers));
            // The planner refuses any call it cannot send.
            const QStringList aimed = PileupPlanner::plan(options, list).checkList();
            QCOMPARE(aimed.size(), qsizetype(options.callers));
            Count(weighted, aimed, weak);
            Count(usual, PileupPlanner::plan(options).checkList(), weak);
        }
        qInfo("weak share: %.1f %% weighted, %.1f %% usual, %.2f times", 100 * weighted.share(),
              100 * usual.share(), weighted.share() / usual.share());
        QVERIFY(weighted.share() >= 2.5 * usual.share());
        QVERIFY(weighted.share() < 0.5);
        // Still varied: nearly every letter and digit occurs.
        QVERIFY(weighted.seen.size() >= 34);

        // A stroke is weighted too: portable calls, some 6 % as usual.
        const QStringList portable = WeakCalls::make({'/'}, 400, 7);
        QVERIFY(std::count_if(portable.begin(), portable.end(),
                              [](const QString &call) { return call.contains(u'/'); }) >= 2 * 24);
        // Nothing to aim at, or nothing that can be in a call: usual calls.
        QCOMPARE(WeakCalls::make({}, 50, 3).size(), qsizetype(50));
        QCOMPARE(WeakCalls::make({u'?'}, 50, 3), WeakCalls::make({}, 50, 3));
    }

    void weakestCharacters()
    {
        MissAnalysis::Report report;
        const auto set = [&](char c, int sent, int missed, int confused) {
            report.characters[QChar(c)] = {sent, missed, confused, 0};
        };
        set('R', 20, 4, 2);  // 30 %
        set('5', 20, 0, 5);  // 25 %
        set('B', 12, 1, 1);  // 17 %
        set('H', 40, 2, 4);  // 15 %: the fourth
        set('Q', 9, 5, 4);   // all wrong, but sent too seldom
        set('E', 10, 1, 0);  // one slip
        set('?', 30, 30, 0); // not a character of calls
        QCOMPARE(AimedPractice::WeakestCharacters(report), (QList<QChar>{'R', '5', 'B'}));
        QCOMPARE(AimedPractice::AimText({'R', '5', 'B'}),
                 QStringLiteral("R, 5 and B about four times as often as usual"));
        QCOMPARE(AimedPractice::AimText({'/'}), QStringLiteral("/ about four times as often as usual"));
        QVERIFY(AimedPractice::WeakestCharacters(MissAnalysis::Report()).isEmpty());
        // Enough calls for a 6-minute case at the level, three times over.
        QCOMPARE(AimedPractice::CallList({'R'}, "Club", 5).size(), qsizetype(3 * 16 * 6));
    }

    void nextLevel()
    {
        // Four cases: levels from a level file, from callers a minute over
        // the recording's length, over 5 minutes when there is no recording,
        // and a level file naming no preset.
        TempBase base;
        const auto calls = [](int count) {
            QStringList list;
            for (int i = 0; i < count; ++i)
                list << QStringLiteral("K%1A").arg(i);
            return list;
        };
        base.WriteLines("PracticeWavesAndCalls/Club1/Club1Calls.txt", calls(20));
        base.WriteLines("PracticeWavesAndCalls/Club1/Club1Level.txt", {"LEVEL=Club"});
        base.WriteLines("PracticeWavesAndCalls/Big/BigCalls.txt", calls(150));
        base.Write("PracticeWavesAndCalls/Big/Big.wav", "not a wave");
        base.WriteLines("PracticeWavesAndCalls/Fast/FastCalls.txt", calls(40));
        base.Write("PracticeWavesAndCalls/Fast/Fast.wav", MakeWave(8000, 8, 1, 60000));
        base.WriteLines("PracticeWavesAndCalls/Slow/SlowCalls.txt", calls(40));
        base.WriteLines("PracticeWavesAndCalls/Slow/SlowLevel.txt", {"LEVEL=Custom"});
        std::vector<TWaveSourcePair> owned;
        for (const char *name : {"Club1", "Big", "Fast", "Slow"})
            owned.emplace_back(
                QStringLiteral("VORLIX_WAVESOURCE_PRACTICE=%1\\%1.wav,%1\\%1Calls.txt,%1,K1ZZ,9,5").arg(name),
                base.file("PracticeWavesAndCalls"));
        std::vector<const TWaveSourcePair *> sources;
        QStringList levels;
        for (const TWaveSourcePair &source : owned) {
            sources.push_back(&source);
            levels << NextLevel::LevelOf(source);
        }
        QCOMPARE(levels, (QStringList{"Club", "Contest", "Expert", "First pileup"}));

        QString history = "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n";
        const auto run = [&](const QString &player, const QString &testCase, int good) {
            history += QStringLiteral("01-Jan-2024, 09:10,/logs/%1-010124-0900.log,Computer,%2,%3,40\r\n")
                           .arg(player, testCase)
                           .arg(good);
        };
        // K1ABC: two poor runs, then five at 68 % on average (70 % and 67 %),
        // at Club and Contest, among another player's and a gone case's.
        run("K1ABC", "Club1", 0);
        run("K1ABC", "Big", 0);
        for (int i = 0; i < 5; ++i) {
            run("K1ABC", i % 2 ? "Club1" : "Big", i % 2 ? 14 : 100);
            run("W9ZZ", "Big", 15);
            run("K1ABC", "Gone", 0);
        }
        run("W9ZZ", "Club1", 2);
        run("N2XX", "Big", 60);
        run("N2XX", "Fast", 20);
        run("K5CAP", "Fast", 40);
        base.Write("PracticeHistory.csv", history.toLatin1());
        const QString file = base.file("PracticeHistory.csv");
        const auto choose = [&](const QString &player) { return NextLevel::Choose(file, sources, player); };

        const LevelChoice up = choose("k1abc");
        QCOMPARE(up.reason, QStringLiteral("Your last 5 runs: 68 % of the calls copied at Club and Contest; "
                                           "60 % or more moves you one level up: Expert"));
        QVERIFY(up.level == "Expert" && up.runs == 5);
        // 10 % and 10 %: one below the lowest, Club.
        QCOMPARE(choose("W9ZZ").reason,
                 QStringLiteral("Your last 5 runs: 10 % of the calls copied at Club and Contest; "
                                "under 30 % moves you one level down: First pileup"));
        // 40 % and 50 %: the level of the last run.
        QCOMPARE(choose("N2XX").reason,
                 QStringLiteral("Your last 2 runs: 45 % of the calls copied at Contest and Expert; "
                                "30 % to 60 % keeps the level of your last run: Expert"));
        // Expert at most.
        QCOMPARE(choose("K5CAP").level, QStringLiteral("Expert"));
        QVERIFY(choose("K5CAP").reason.startsWith("Your last run: 100 % of the calls copied at Expert;"));

        // No runs, no history, a history that cannot be read: Club, and why.
        QCOMPARE(choose("G0NEW").level, QStringLiteral("Club"));
        QVERIFY(choose("G0NEW").reason.startsWith("No runs of yours"));
        const LevelChoice none = NextLevel::Choose(base.file("None.csv"), sources, "K1ABC");
        QVERIFY(none.level == "Club" && none.runs == 0);
        QVERIFY(QDir().mkpath(base.file("Dir.csv")));
        const LevelChoice unread = NextLevel::Choose(base.file("Dir.csv"), sources, "K1ABC");
        QCOMPARE(unread.reason, "Cannot open file " + base.file("Dir.csv") + ": Club to start with");
    }
};

QTEST_MAIN(TestAimedPractice)
#include "tst_aimedpractice.moc"
