// Text and file routines: bounded text, fields, numbers, clock text, reading
// and writing text files, file times and the recursive listings.

#include "TempBase.h"
#include "util/FileUtil.h"
#include "util/SortedTextList.h"
#include "util/StationError.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

class TestTextFiles : public QObject
{
    Q_OBJECT

private slots:
    void boundedTextFieldsNumbersAndClock()
    {
        QCOMPARE(CopyBounded(u"ABCDEFGHIJKLMNOPQRSTUVWXY", 22), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUV"));
        QVERIFY(CopyBounded(u"K5XX", 22) == u"K5XX" && CopyBounded(u"K5XX", 0).isEmpty());
        QString s = QStringLiteral("abc");
        AppendBounded(s, u"defgh", 5);
        AppendBounded(s, u"x", 5);
        QCOMPARE(s, QStringLiteral("abcde"));

        QCOMPARE(SplitFields(u"a,,b=c,", u"=,"), (QStringList{"a", "b", "c"}));
        QCOMPARE(SplitFields(u",,,", u","), QStringList());

        // clang-format off
        const QList<QPair<QString, int>> numbers = {
            {"123abc", 123}, {"  -42,", -42}, {"+7", 7}, {"abc", 0}, {"", 0},
            {"99999999999999999999", 2147483647}, {"-99999999999999999999", -2147483647 - 1}};
        const QList<QPair<int, QString>> clock = {
            {0, "00:00"}, {65, "01:05"}, {600, "10:00"}, {5999, "99:59"}, {6000, "10:00"}, {-5, "00:00"}};
        // clang-format on
        for (const auto &[text, value] : numbers)
            QCOMPARE(LeadingInt(text), value);
        for (const auto &[seconds, text] : clock)
            QCOMPARE(FormatMinSec(seconds), text);
    }

    void readingWritingAndAppending()
    {
        // UTF-8 where valid, else Windows-1252 (216 is its slashed zero, 128 the euro).
        QCOMPARE(TextFile::decode("OZ\xc3\x98"), QStringLiteral("OZ\u00d8"));
        QCOMPARE(TextFile::decode("OZ\xd8"), QStringLiteral("OZ\u00d8"));
        QCOMPARE(TextFile::decode("\x80"), QString(QChar(0x20AC)));
        QCOMPARE(TextFile::splitLines("a\r\nb\nc\rd"), (QStringList{"a", "b", "c", "d"}));
        QCOMPARE(TextFile::splitLines("a\r\n\r\n"), (QStringList{"a", ""}));
        QCOMPARE(TextFile::splitLines(""), QStringList());
        // A byte-order mark names the encoding: "Unicode" (UTF-16) and UTF-8.
        QCOMPARE(TextFile::decode(QByteArray::fromHex("fffe4b0035000d000a00d800")),
                 QStringLiteral("K5\r\n\u00d8"));
        QCOMPARE(TextFile::decode(QByteArray::fromHex("feff004b00d8")), QStringLiteral("K\u00d8"));
        QCOMPARE(TextFile::decode("\xEF\xBB\xBFOZ\xc3\x98"), QStringLiteral("OZ\u00d8"));

        TempBase base;
        const QString path = base.file("x.txt"), bad = base.file("x.txt/y.txt");
        TextFile::writeLines(path, {"K5XX", "DL1ABC"});
        QVERIFY(TextFile::tryAppendLine(path, "G4XYZ"));
        QCOMPARE(TextFile::readLines(path), (QStringList{"K5XX", "DL1ABC", "G4XYZ"}));
        // A path below a regular file cannot be written: the error names it.
        QVERIFY(!TextFile::tryWriteLines(bad, {"a"}) && !TextFile::tryAppendLine(bad, "a"));
        QCOMPARE(StationErrorOf([&] { TextFile::writeLines(bad, {"a"}); }), "Cannot create file " + bad);
        QCOMPARE(StationErrorOf([&] { TextFile::readLines(base.file("none.txt")); }),
                 "Cannot open file " + base.file("none.txt"));
        QCOMPARE(base.Read("x.txt"), QByteArray("K5XX\r\nDL1ABC\r\nG4XYZ\r\n"));

        // An append starts on a new line whatever the file's last byte is.
        base.Write("h.csv", "head\r\n1,2");
        QVERIFY(TextFile::tryAppendLine(base.file("h.csv"), "3,4"));
        QVERIFY(TextFile::tryAppendLine(base.file("new.csv"), "5,6"));
        QCOMPARE(base.Read("h.csv"), QByteArray("head\r\n1,2\r\n3,4\r\n"));
        QCOMPARE(base.Read("new.csv"), QByteArray("5,6\r\n"));
    }

    void writesThatFailAndFilesThatAreNot()
    {
        TempBase base;
        base.Write("log.txt", "K5XX\r\nDL1ABC\r\n");
        // A disk that takes no more than 8 bytes of a file: the write fails
        // late, at the flush, and the old file stays whole.
        {
            FileSizeLimit full(8);
            QVERIFY(!TextFile::tryWriteLines(base.file("log.txt"), {"AAAA", "BBBB", "CCCC"}));
        }
        QCOMPARE(base.Read("log.txt"), QByteArray("K5XX\r\nDL1ABC\r\n"));
        QCOMPARE(QDir(base.path()).entryList(QDir::Files), QStringList{"log.txt"});

        // A named pipe is never opened: reading, appending and file times
        // answer at once.
        const QString fifo = base.file("pipe.txt");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QVERIFY(!TextFile::tryReadLines(fifo) && !TextFile::tryAppendLine(fifo, "x"));
        QCOMPARE(FileDateTime(fifo), ZeroDateTime());
    }

    void fullDiskForReal()
    {
        // A real full disk needs a small file system of our own: as root.
        QTemporaryDir dir;
        if (::geteuid() != 0 ||
            ::mount("tmpfs", QFile::encodeName(dir.path()).constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP("a full disk is tried on a 64 KB tmpfs, which needs root; the injected failure above "
                  "stands in");
        struct Unmount
        {
            QByteArray path;
            ~Unmount() { ::umount(path.constData()); }
        } unmount{QFile::encodeName(dir.path())};
        const QString log = dir.path() + "/K1ABC.log";
        QVERIFY(TextFile::tryWriteLines(log, {"K5XX", "DL1ABC"}));
        QFile filler(dir.path() + "/filler");
        QVERIFY(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
        filler.close();
        QVERIFY(!TextFile::tryWriteLines(log, {"K5XX", "DL1ABC", QString(5000, u'W')}));
        QCOMPARE(TextFile::readLines(log), (QStringList{"K5XX", "DL1ABC"}));
    }

    void fileTimesNamesAndListings()
    {
        TempBase base;
        QCOMPARE(FileDateTime(base.file("missing")), ZeroDateTime());
        QCOMPARE(ZeroDateTime().toString("dd-MMM-yy hh:mm"), QStringLiteral("30-Dec-99 00:00"));
        base.Write("a.txt", "1");
        base.SetModified("a.txt", QDateTime(QDate(2013, 12, 5), QTime(14, 7, 31)));
        QCOMPARE(FileDateTime(base.file("a.txt")), QDateTime(QDate(2013, 12, 5), QTime(14, 7)));

        base.Write("Waves/Pileup.WAV", "x");
        QCOMPARE(ResolveCase(base.file("waves/pileup.wav")), base.file("Waves/Pileup.WAV"));
        QCOMPARE(ResolveCase(base.file("none/x")), base.file("none/x"));
        QVERIFY(FileExistsAnyCase(base.file("WAVES/PILEUP.wav")));
        QVERIFY(!FileExistsAnyCase(base.file("waves/other.wav")));
        QCOMPARE(JoinPath("/b", "sub\\f.txt"), QStringLiteral("/b/sub/f.txt"));

        for (const char *name : {"t/a.txt", "t/sub/b.TXT", "t/c.log", "logs/K5XX.log", "logs/other.log",
                                 "logs/sub/k5xx.LOG", "logs/sub/deeper/note.txt"})
            base.Write(name, "K5XX");
        // A log that exists but cannot be opened is not reported.
        QFile::link(base.file("logs/nowhere.log"), base.file("logs/sub/dangling.log"));
        QStringList texts, player, all, nowhere;
        ListTextFiles(base.file("t/"), texts);
        FindPlayerLogs(base.file("logs/"), "K5XX", player);
        FindAllLogs(base.file("logs/"), all);
        FindPlayerLogs(base.file("nothere/"), "K5XX", nowhere);
        QCOMPARE(texts, (QStringList{"a.txt", "b.TXT"}));
        QCOMPARE(player, (QStringList{"K5XX.log", "k5xx.LOG"}));
        QCOMPARE(all, (QStringList{"K5XX.log", "other.log", "k5xx.LOG"}));
        QVERIFY(nowhere.isEmpty());

        // A tree copied whole; a file already in the copy is kept; a link
        // that leads nowhere is passed over.
        base.Write("copy/t/a.txt", "kept");
        QVERIFY(CopyFolderTree(base.file("t"), base.file("copy/t")));
        QVERIFY(base.Read("copy/t/a.txt") == "kept" && base.Read("copy/t/sub/b.TXT") == "K5XX");
        QVERIFY(CopyFolderTree(base.file("logs"), base.file("copy/logs")));
        QVERIFY(base.Read("copy/logs/sub/deeper/note.txt") == "K5XX" &&
                !QFileInfo::exists(base.file("copy/logs/sub/dangling.log")));
    }

    void sortedTextList()
    {
        SortedTextList list;
        QVERIFY(list.add("k5xx") && list.add("DL1ABC") && !list.add("K5XX") && list.add(""));
        QCOMPARE(list.items(), (QStringList{"", "DL1ABC", "k5xx"}));
        QVERIFY(list.contains(u"dl1abc"));
        QVERIFY(list.indexOf(u"K5XX") == 2 && list.indexOf(u"G4XYZ") == -1);

        // Adding many at once gives what adding them one by one gives: the same
        // order and, of texts equal but for case, the form added first.
        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("seed %u", seed);
        QRandomGenerator random(seed);
        const QString alphabet = QStringLiteral("aBck01/\u00d8\u00f8\u00e4\u00c4\u212a");
        QStringList texts;
        while (texts.size() < 4000) {
            QString t =
                !texts.isEmpty() && random.bounded(3) == 0 ? texts[random.bounded(texts.size())] : QString();
            if (t.isEmpty())
                for (int i = random.bounded(random.bounded(2) ? 4 : 12); i > 0; --i)
                    t += alphabet[random.bounded(alphabet.size())];
            for (QChar &c : t) // a repeat or a new text, in any letter case
                c = random.bounded(2) ? c.toUpper() : c.toLower();
            texts.append(t);
        }
        QHash<QString, QString> firstForms;
        for (const QString &t : texts)
            if (!firstForms.contains(t.toCaseFolded()))
                firstForms.insert(t.toCaseFolded(), t);
        QStringList expected = firstForms.values();
        std::sort(expected.begin(), expected.end(),
                  [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
        for (const qsizetype held : {0, 700, 2500}) {
            SortedTextList one, many;
            QSet<QString> added;
            for (qsizetype i = 0; i < texts.size(); ++i) {
                const bool isNew = !added.contains(texts[i].toCaseFolded());
                added.insert(texts[i].toCaseFolded());
                QCOMPARE(one.add(texts[i]), isNew);
                if (i < held)
                    many.add(texts[i]);
            }
            QVERIFY(one.count() == expected.size() && one.contains(texts.last().toUpper()));
            const qsizetype half = held + (texts.size() - held) / 2;
            many.addAll(texts.sliced(held, half - held));
            many.addAll(texts.sliced(half));
            many.addAll(many.items());
            QCOMPARE(many.items(), one.items());
            QCOMPARE(one.items(), expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestTextFiles)
#include "tst_textfiles.moc"
