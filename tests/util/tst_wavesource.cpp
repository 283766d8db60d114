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
        // Available or not, the wave and calls names and paths, the case, the winner and the two scores.
        auto parsed = [&](const QString &line) {
            const TWaveSourcePair s(line, base.path());
            const QString available = s.available() ? "yes" : "no";
            return QStringList{available,    s.waveName(),     s.callsName(),
                               s.wavePath(), s.callsPath(),    s.testCaseName(),
                               s.winner(),   s.winningScore(), s.averageScore()};
        };
        const QString on = "VORLIX_WAVESOURCE_PRACTICE=", wav = base.file("p.wav"), txt = base.file("p.txt");
        const QString n260(260, u'n'), n300(300, u'n'), longPath = (base.path() + '/' + n300).left(260);
        const QStringList none{"no", "", "", "", "", "", "N/A", "N/A", "N/A"};
        // Letter case of file names and trailing blanks do not matter; a run of
        // separators counts as one; every field is cut to its length.
        const QList<QPair<QString, QStringList>> rows = {
            {on + "p.wav,p.txt,Case One",
             {"yes", "p.wav", "p.txt", wav, txt, "Case One", "N/A", "N/A", "N/A"}},
            {"VORLIX_WAVESOURCE_DEMO==p.wav,,p.txt,,Demo,W1AW,12345,99",
             {"yes", "p.wav", "p.txt", wav, txt, "Demo", "W1AW", "1234", "99"}},
            {on + "P.WAV  ,P.Txt,Lakemont 2012",
             {"yes", "P.WAV", "P.Txt", wav, txt, "Lakemont 2012", "N/A", "N/A", "N/A"}},
            {on + "p.wav,missing.txt,X",
             {"no", "p.wav", "missing.txt", wav, base.file("missing.txt"), "X", "N/A", "N/A", "N/A"}},
            {on + n300 + "," + n300 + "," + n300 + "," + QString(60, u'w'),
             {"no", n260, n260, longPath, longPath, n260, QString(50, u'w'), "N/A", "N/A"}},
            {"vorlix_wavesource_practice=p.wav,p.txt,X", none},
            {on + "p.wav", none},
            {"", none}};
        for (const auto &[line, fields] : rows)
            QCOMPARE(parsed(line), fields);
        const TWaveSourcePair cased(on + "P.WAV  ,P.Txt,Lakemont 2012", base.path());
        QVERIFY(cased.caseNameMatches(u"LAKEMONT 2012") && cased.waveNameMatches(u"p.wav"));
        QVERIFY(!cased.caseNameMatches(u"Lakemont 2013"));
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
        base.Write("u.txt", QByteArray::fromHex("fffe570031000d000a004b0035000d000a00")); // W1, K5
        TWaveSourcePair unicode("VORLIX_WAVESOURCE_PRACTICE=p.wav,u.txt,X", base.path());
        QVERIFY(unicode.PrepareCallsFile());
        QCOMPARE(base.Read("u.txt"), QByteArray("K5\r\nW1\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestWaveSource)
#include "tst_wavesource.moc"
