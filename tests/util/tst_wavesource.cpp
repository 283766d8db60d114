// Source lines of the configuration and the cleaning of their calls files.

#include "TempBase.h"
#include "util/TWaveSourcePair.h"

#include <QFileInfo>
#include <QTest>

class TestWaveSource : public QObject
{
    Q_OBJECT

private slots:
    void parsingSourceLines()
    {
        TempBase base;
        base.Write("p.wav", "x");
        base.Write("p.txt", "K5XX");

        TWaveSourcePair four("VORLIX_WAVESOURCE_PRACTICE=p.wav,p.txt,Case One", base.path());
        QVERIFY(four.available());
        QCOMPARE(four.testCaseName(), QStringLiteral("Case One"));
        QCOMPARE(four.winner(), QStringLiteral("N/A"));
        QCOMPARE(four.winningScore(), QStringLiteral("N/A"));
        QCOMPARE(four.averageScore(), QStringLiteral("N/A"));
        QCOMPARE(four.wavePath(), base.file("p.wav"));
        QCOMPARE(four.callsPath(), base.file("p.txt"));

        TWaveSourcePair gaps("VORLIX_WAVESOURCE_DEMO==p.wav,,p.txt,,Demo,W1AW,12345,99", base.path());
        QVERIFY(gaps.available());
        QCOMPARE(gaps.waveName(), QStringLiteral("p.wav"));
        QCOMPARE(gaps.callsName(), QStringLiteral("p.txt"));
        QCOMPARE(gaps.winner(), QStringLiteral("W1AW"));
        QCOMPARE(gaps.winningScore(), QStringLiteral("1234"));
        QCOMPARE(gaps.averageScore(), QStringLiteral("99"));

        QVERIFY(!TWaveSourcePair("vorlix_wavesource_practice=p.wav,p.txt,X", base.path()).available());
        QVERIFY(!TWaveSourcePair("VORLIX_WAVESOURCE_PRACTICE=p.wav", base.path()).available());
        QVERIFY(!TWaveSourcePair("VORLIX_WAVESOURCE_PRACTICE=p.wav,missing.txt,X", base.path()).available());
        QVERIFY(!TWaveSourcePair("", base.path()).available());

        // Letter case of file names and trailing blanks do not matter; the
        // case name is matched without regard to case.
        TWaveSourcePair cased("VORLIX_WAVESOURCE_PRACTICE=P.WAV  ,P.Txt,Lakemont 2012", base.path());
        QVERIFY(cased.available());
        QCOMPARE(cased.wavePath(), base.file("p.wav"));
        QVERIFY(cased.caseNameMatches(u"LAKEMONT 2012"));
        QVERIFY(cased.waveNameMatches(u"p.wav"));
        QVERIFY(!cased.caseNameMatches(u"Lakemont 2013"));

        const QString longName(300, u'n');
        TWaveSourcePair longLine("VORLIX_WAVESOURCE_PRACTICE=" + longName + "," + longName + "," + longName +
                                     "," + QString(60, u'w'),
                                 base.path());
        QCOMPARE(longLine.waveName().size(), 260);
        QCOMPARE(longLine.testCaseName().size(), 260);
        QCOMPARE(longLine.winner().size(), 50);
        QVERIFY(!longLine.available());
    }

    void preparingCallsFiles()
    {
        TempBase base;
        base.Write("p.wav", "x");
        // One call twice in two letter cases, one with a slashed zero (as the
        // single byte of older files), one with it in UTF-8, an overlong line.
        base.Write("p.txt", QByteArray("w1aw\r\nOZ\xd8"
                                       "ABC\nW1AW\r\nSM\xc3\x98XYZ\r\n") +
                                QByteArray(60, 'L') + "\r\n");
        TWaveSourcePair source("VORLIX_WAVESOURCE_PRACTICE=p.wav,p.txt,X", base.path());
        QVERIFY(source.PrepareCallsFile());
        const QByteArray expected = QByteArray(50, 'L') + "\r\nOZ0ABC\r\nSM0XYZ\r\nw1aw\r\n";
        QCOMPARE(base.Read("p.txt"), expected);

        // Preparing again changes nothing, not even the file's time.
        const QDateTime before = QFileInfo(base.file("p.txt")).lastModified();
        QVERIFY(source.PrepareCallsFile());
        QCOMPARE(base.Read("p.txt"), expected);
        QCOMPARE(QFileInfo(base.file("p.txt")).lastModified(), before);

        // An unavailable source's calls file is left alone.
        base.Write("q.txt", "b\r\na\r\n");
        TWaveSourcePair missingWave("VORLIX_WAVESOURCE_PRACTICE=none.wav,q.txt,X", base.path());
        QVERIFY(!missingWave.PrepareCallsFile());
        QCOMPARE(base.Read("q.txt"), QByteArray("b\r\na\r\n"));

        // A calls file saved as "Unicode" is read as text, never scrambled.
        base.Write("u.txt", QByteArray("\xFF\xFE"
                                       "W\0"
                                       "1\0"
                                       "\r\0"
                                       "\n\0"
                                       "K\0"
                                       "5\0"
                                       "\r\0"
                                       "\n\0",
                                       18));
        TWaveSourcePair unicode("VORLIX_WAVESOURCE_PRACTICE=p.wav,u.txt,X", base.path());
        QVERIFY(unicode.PrepareCallsFile());
        QCOMPARE(base.Read("u.txt"), QByteArray("K5\r\nW1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestWaveSource)
#include "tst_wavesource.moc"
