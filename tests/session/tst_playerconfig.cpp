// Reading the player configuration: keys, source lines and results.

#include "TempBase.h"
#include "session/PlayerConfig.h"

#include <QTest>

class TestPlayerConfig : public QObject
{
    Q_OBJECT

    static int read(const TempBase &base, PlayerConfig &config, const QStringList &lines)
    {
        base.WriteLines("Vorlix_Player_ini.txt", lines);
        return config.ReadPlayerConfig(base.file("Vorlix_Player_ini.txt"), base.path(),
                                       base.file("PracticeWavesAndCalls"));
    }

private slots:
    void results()
    {
        TempBase base;
        PlayerConfig config;
        QCOMPARE(config.ReadPlayerConfig(base.file("Vorlix_Player_ini.txt"), base.path(), base.path()),
                 int(PlayerConfig::FileMissing));

        base.Write("PracticeWavesAndCalls/a.wav", "x");
        base.Write("PracticeWavesAndCalls/a.txt", "B\r\na\r\n");
        QCOMPARE(read(base, config,
                      {"VORLIX_WAVESOURCE_PRACTICE=a.wav,a.txt,Case A",
                       "VORLIX_WAVESOURCE_PRACTICE=none.wav,a.txt,Case B"}),
                 int(PlayerConfig::NoDemoSource));
        QCOMPARE(config.practiceSources().size(), size_t(2));
        QVERIFY(config.practiceSources()[0].available() && !config.practiceSources()[1].available());
        QCOMPARE(base.Read("PracticeWavesAndCalls/a.txt"), QByteArray("a\r\nB\r\n"));
        QVERIFY(config.demoSources().empty());

        // Demonstration lines that are all invalid still count as present.
        QCOMPARE(read(base, config, {"VORLIX_WAVESOURCE_DEMO=none.wav,none.txt,D"}),
                 int(PlayerConfig::Loaded));
        QVERIFY(config.demoSources().empty() && config.practiceSources().empty());

        base.Write("d.wav", "x");
        base.Write("d.txt", "K5XX\r\n");
        QCOMPARE(read(base, config,
                      {"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,D", "vorlix_wavesource_demo=d.wav,d.txt,E",
                       "VORLIX_WAVESOURCE_DEMO=none.wav,d.txt,F"}),
                 int(PlayerConfig::Loaded));
        QCOMPARE(config.demoSources().size(), size_t(1));
        QCOMPARE(config.demoSources()[0].testCaseName(), QStringLiteral("D"));
    }

    void keys()
    {
        TempBase base;
        PlayerConfig config;
        // YES/NO keys: any letter case, nothing else on the line; the first
        // line wins.
        for (const auto &[lines, hide, start] : QList<std::tuple<QStringList, bool, bool>>{
                 {{"HIDE_PRACTICE_MODE=yes", "START_IN_PRACTICE_MODE=YES "}, true, false},
                 {{"hide_practice_mode =YES", "start_in_practice_mode=Yes"}, false, true},
                 {{"HIDE_PRACTICE_MODE=NO", "HIDE_PRACTICE_MODE=YES"}, false, false},
                 {{"HIDE_PRACTICE_MODE=YES       x"}, false, false}}) {
            read(base, config, lines);
            QCOMPARE(config.hidePracticeMode(), hide);
            QCOMPARE(config.startInPracticeMode(), start);
        }
        // The administrator password: cut to 30, the first line wins, empty
        // means the default.
        for (const auto &[lines, password] : QList<QPair<QStringList, QString>>{
                 {{}, "owner-rattle-owner"},
                 {{"ADMINPW=" + QString(40, u'p'), "ADMINPW=second"}, QString(30, u'p')},
                 {{"ADMINPW="}, "owner-rattle-owner"},
                 {{"ADMINPW=with = sign "}, "with = sign "}}) {
            read(base, config, lines);
            QCOMPARE(config.adminPassword(), password);
        }

        read(base, config, {});
        QCOMPARE(config.standAloneWavePath(), base.path() + "/");
        QVERIFY(config.standAloneCallsPath().isEmpty() && config.welcomePath().isEmpty());
        QVERIFY(!config.standAloneCallsPresent() && config.standAloneCheckList().isEmpty());

        base.Write("calls.txt", "K5XX\r\nk5xx\r\nDL1ABC\r\n");
        read(base, config,
             {"STANDALONE_CALLSFILE=calls.txt  ", "STANDALONE_WAVEFILE=sa.wav  ",
              "VORLIX_WELCOME=welcome.wav"});
        QCOMPARE(config.standAloneCallsPath(), base.file("calls.txt"));
        QCOMPARE(config.standAloneWavePath(), base.file("sa.wav"));
        QCOMPARE(config.welcomePath(), base.file("welcome.wav"));
        QVERIFY(config.standAloneCallsPresent());
        QCOMPARE(config.standAloneCheckList().items(), (QStringList{"DL1ABC", "K5XX"}));

        read(base, config, {"STANDALONE_CALLSFILE=missing.txt"});
        QVERIFY(!config.standAloneCallsPresent() && config.standAloneCheckList().isEmpty());
    }

    void badFiles()
    {
        TempBase base;
        PlayerConfig config;
        // Binary bytes, a megabyte line, CR-only line ends: read without harm.
        QByteArray junk;
        for (int i = 0; i < 256; ++i)
            junk.append(char(i));
        base.Write("Vorlix_Player_ini.txt", junk + "\r" + QByteArray(1 << 20, 'x') + "\rADMINPW=secret\r" +
                                                "VORLIX_WAVESOURCE_DEMO\r=\r");
        QCOMPARE(config.ReadPlayerConfig(base.file("Vorlix_Player_ini.txt"), base.path(), base.path()),
                 int(PlayerConfig::Loaded));
        QCOMPARE(config.adminPassword(), QStringLiteral("secret"));
        QVERIFY(config.demoSources().empty());

        // The file name's letter case does not matter.
        TempBase other;
        other.Write("vorlix_player_INI.txt", "ADMINPW=lower\r\n");
        QCOMPARE(config.ReadPlayerConfig(other.file("Vorlix_Player_ini.txt"), other.path(), other.path()),
                 int(PlayerConfig::NoDemoSource));
        QCOMPARE(config.adminPassword(), QStringLiteral("lower"));
    }

    void sourceLinesRewriteOnlyCallsFiles()
    {
        TempBase base;
        PlayerConfig config;
        base.Write("PracticeWavesAndCalls/p.wav", "x");
        base.Write("d.wav", "x");
        const QByteArray history = "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars\r\n"
                                   "05-Mar-2024, 14:08,/b/K1.log,Computer,X,2,10\r\n";
        base.Write("PracticeHistory.csv", history);
        base.Write("Recovered-P1-20240305-140800.log", "W1AW\r\nK5XX\r\n");
        base.Write("notes.txt", "Bring your own headphones\r\nAsk first\r\n");
        base.Write("PracticeWavesAndCalls/sorted-not.txt", "W1AW\r\nK5XX\r\n");
        const QStringList lines = {"VORLIX_WAVESOURCE_PRACTICE=p.wav,../PracticeHistory.csv,History",
                                   "VORLIX_WAVESOURCE_PRACTICE=p.wav,sorted-not.txt,Fine",
                                   "VORLIX_WAVESOURCE_DEMO=d.wav,Vorlix_Player_ini.txt,Config",
                                   "VORLIX_WAVESOURCE_DEMO=d.wav,Recovered-P1-20240305-140800.log,Recovered",
                                   "VORLIX_WAVESOURCE_DEMO=d.wav,notes.txt,Notes"};
        base.WriteLines("Vorlix_Player_ini.txt", lines);
        const QByteArray configBytes = base.Read("Vorlix_Player_ini.txt");
        QCOMPARE(config.ReadPlayerConfig(base.file("Vorlix_Player_ini.txt"), base.path(),
                                         base.file("PracticeWavesAndCalls")),
                 int(PlayerConfig::Loaded));
        // Only the calls file was sorted; every other file is as it was, and
        // its case or demonstration is still offered.
        QCOMPARE(base.Read("PracticeWavesAndCalls/sorted-not.txt"), QByteArray("K5XX\r\nW1AW\r\n"));
        QCOMPARE(base.Read("PracticeHistory.csv"), history);
        QCOMPARE(base.Read("Vorlix_Player_ini.txt"), configBytes);
        QCOMPARE(base.Read("Recovered-P1-20240305-140800.log"), QByteArray("W1AW\r\nK5XX\r\n"));
        QCOMPARE(base.Read("notes.txt"), QByteArray("Bring your own headphones\r\nAsk first\r\n"));
        QVERIFY(config.practiceSources().at(0).available());
        QCOMPARE(config.demoSources().size(), size_t(3));
        QCOMPARE(config.problems().size(), 4);
        QCOMPARE(config.problems().at(0), base.file("PracticeWavesAndCalls/../PracticeHistory.csv") +
                                              " is not a calls file of this station: it was left as it is");

        // A full disk leaves an unsorted calls file as it was, and says so.
        base.Write("PracticeWavesAndCalls/sorted-not.txt", "W1AW\r\nK5XX\r\n");
        base.WriteLines("Vorlix_Player_ini.txt", {"VORLIX_WAVESOURCE_PRACTICE=p.wav,sorted-not.txt,Fine"});
        {
            FileSizeLimit full(4);
            config.ReadPlayerConfig(base.file("Vorlix_Player_ini.txt"), base.path(),
                                    base.file("PracticeWavesAndCalls"));
        }
        QCOMPARE(base.Read("PracticeWavesAndCalls/sorted-not.txt"), QByteArray("W1AW\r\nK5XX\r\n"));
        QCOMPARE(config.problems(),
                 QStringList{"Cannot create file " + base.file("PracticeWavesAndCalls/sorted-not.txt")});
    }
};

QTEST_GUILESS_MAIN(TestPlayerConfig)
#include "tst_playerconfig.moc"
