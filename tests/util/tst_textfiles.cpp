// Text and file routines: bounded text, fields, numbers, clock text, reading
// and writing text files, file times and the recursive listings.

#include "TempBase.h"
#include "util/FileUtil.h"
#include "util/SortedTextList.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFile>
#include <QTest>

class TestTextFiles : public QObject
{
    Q_OBJECT

private slots:
    void boundedTextAndFields()
    {
        QCOMPARE(CopyBounded(u"ABCDEFGHIJKLMNOPQRSTUVWXY", 22), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV"));
        QCOMPARE(CopyBounded(u"K5XX", 22), QStringLiteral("K5XX"));
        QCOMPARE(CopyBounded(u"K5XX", 0), QString());
        QString s = QStringLiteral("abc");
        AppendBounded(s, u"defgh", 5);
        QCOMPARE(s, QStringLiteral("abcde"));
        AppendBounded(s, u"x", 5);
        QCOMPARE(s, QStringLiteral("abcde"));

        QCOMPARE(SplitFields(u"a,,b=c,", u"=,"), (QStringList{"a", "b", "c"}));
        QCOMPARE(SplitFields(u",,,", u","), QStringList());
        QCOMPARE(SplitFields(u"SCORE_TEST::7", u":,"), (QStringList{"SCORE_TEST", "7"}));

        QCOMPARE(LeadingInt(u"123abc"), 123);
        QCOMPARE(LeadingInt(u"  -42,"), -42);
        QCOMPARE(LeadingInt(u"+7"), 7);
        QCOMPARE(LeadingInt(u"abc"), 0);
        QCOMPARE(LeadingInt(u""), 0);
        QCOMPARE(LeadingInt(u"99999999999999999999"), 2147483647);
        QCOMPARE(LeadingInt(u"-99999999999999999999"), -2147483647 - 1);
    }

    void clockText()
    {
        QCOMPARE(FormatMinSec(0), QStringLiteral("00:00"));
        QCOMPARE(FormatMinSec(65), QStringLiteral("01:05"));
        QCOMPARE(FormatMinSec(600), QStringLiteral("10:00"));
        QCOMPARE(FormatMinSec(5999), QStringLiteral("99:59"));
        QCOMPARE(FormatMinSec(6000), QStringLiteral("10:00"));
        QCOMPARE(FormatMinSec(-5), QStringLiteral("00:00"));
    }

    void decodingAndLineEnds()
    {
        QCOMPARE(TextFile::decode("OZ\xc3\x98" "1A"), QStringLiteral("OZ\u00d81A"));
        // A single byte 216 is Windows-1252's slashed zero.
        QCOMPARE(TextFile::decode("OZ\xd8" "1A"), QStringLiteral("OZ\u00d81A"));
        QCOMPARE(TextFile::decode("\x80"), QString(QChar(0x20AC)));

        QCOMPARE(TextFile::splitLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(TextFile::splitLines("a\r\n"), QStringList{"a"});
        QCOMPARE(TextFile::splitLines("a\r\n\r\n"), (QStringList{"a", ""}));
        QCOMPARE(TextFile::splitLines(""), QStringList());
    }

    void writingAndAppending()
    {
        TempBase base;
        const QString path = base.file("x.txt");
        TextFile::writeLines(path, {"K5XX", "DL1ABC"});
        QCOMPARE(base.Read("x.txt"), QByteArray("K5XX\r\nDL1ABC\r\n"));
        QVERIFY(TextFile::tryAppendLine(path, "G4XYZ"));
        QCOMPARE(base.Read("x.txt"), QByteArray("K5XX\r\nDL1ABC\r\nG4XYZ\r\n"));
        QCOMPARE(TextFile::readLines(path), (QStringList{"K5XX", "DL1ABC", "G4XYZ"}));

        // A path below a regular file cannot be written: the error names it.
        const QString bad = base.file("x.txt/y.txt");
        QVERIFY(!TextFile::tryWriteLines(bad, {"a"}));
        QVERIFY(!TextFile::tryAppendLine(bad, "a"));
        try {
            TextFile::writeLines(bad, {"a"});
            QFAIL("no error");
        } catch (const StationError &e) {
            QCOMPARE(e.text(), "Cannot create file " + bad);
        }
        try {
            TextFile::readLines(base.file("missing.txt"));
            QFAIL("no error");
        } catch (const StationError &e) {
            QCOMPARE(e.text(), "Cannot open file " + base.file("missing.txt"));
        }
        QCOMPARE(base.Read("x.txt"), QByteArray("K5XX\r\nDL1ABC\r\nG4XYZ\r\n"));
    }

    void fileTimes()
    {
        TempBase base;
        QCOMPARE(FileDateTime(base.file("missing")), ZeroDateTime());
        QCOMPARE(ZeroDateTime().toString("dd-MMM-yy hh:mm"), QStringLiteral("30-Dec-99 00:00"));
        base.Write("a.txt", "1");
        base.Write("b.txt", "2");
        base.SetModified("a.txt", QDateTime(QDate(2013, 12, 5), QTime(14, 7, 31)));
        base.SetModified("b.txt", QDateTime(QDate(2013, 12, 5), QTime(14, 7, 2)));
        QCOMPARE(FileDateTime(base.file("a.txt")), QDateTime(QDate(2013, 12, 5), QTime(14, 7)));
        QCOMPARE(FileDateTime(base.file("a.txt")), FileDateTime(base.file("b.txt")));
    }

    void listingsAndSearches()
    {
        TempBase base;
        base.Write("t/a.txt", "1");
        base.Write("t/sub/b.TXT", "2");
        base.Write("t/c.log", "3");
        QStringList list;
        ListTextFiles(base.file("t/"), list);
        QCOMPARE(list, (QStringList{"a.txt", "b.TXT"}));

        base.Write("logs/K5XX.log", "K5XX");
        base.Write("logs/other.log", "x");
        base.Write("logs/sub/k5xx.LOG", "K5XX");
        base.Write("logs/sub/deeper/note.txt", "x");
        // A log that exists but cannot be opened is not reported.
        QFile::link(base.file("logs/nowhere.log"), base.file("logs/sub/dangling.log"));
        list.clear();
        FindPlayerLogs(base.file("logs/"), "K5XX", list);
        QCOMPARE(list, (QStringList{"K5XX.log", "k5xx.LOG"}));
        list.clear();
        FindAllLogs(base.file("logs/"), list);
        QCOMPARE(list, (QStringList{"K5XX.log", "other.log", "k5xx.LOG"}));
        list.clear();
        FindPlayerLogs(base.file("nothere/"), "K5XX", list);
        QVERIFY(list.isEmpty());
    }

    void caseInsensitiveNames()
    {
        TempBase base;
        base.Write("Waves/Pileup.WAV", "x");
        QCOMPARE(ResolveCase(base.file("waves/pileup.wav")), base.file("Waves/Pileup.WAV"));
        QVERIFY(FileExistsAnyCase(base.file("WAVES/PILEUP.wav")));
        QVERIFY(!FileExistsAnyCase(base.file("waves/other.wav")));
        QCOMPARE(ResolveCase(base.file("none/x")), base.file("none/x"));
        QCOMPARE(JoinPath("/b", "sub\\f.txt"), QStringLiteral("/b/sub/f.txt"));
    }

    void sortedTextList()
    {
        SortedTextList list;
        QVERIFY(list.add("k5xx"));
        QVERIFY(list.add("DL1ABC"));
        QVERIFY(!list.add("K5XX"));
        QVERIFY(list.add(""));
        QCOMPARE(list.items(), (QStringList{"", "DL1ABC", "k5xx"}));
        QVERIFY(list.contains(u"dl1abc"));
        QCOMPARE(list.indexOf(u"K5XX"), 2);
        QCOMPARE(list.indexOf(u"G4XYZ"), -1);
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
