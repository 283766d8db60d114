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
};

QTEST_GUILESS_MAIN(TestPlayerConfig)
#include "tst_playerconfig.moc"
