// Where the station keeps its files: beside a build-folder copy, in the
// user's data folder when installed (filled from the shared data at its
// first start), or in the folder the user names.

#include "TempBase.h"
#include "util/BaseFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TestBaseFolder : public QObject
{
    Q_OBJECT

private slots:
    void choice()
    {
        TempBase tmp;
        const QString root = tmp.path();
        const QString user = root + "/home/.local/share/vorlix/Vorlix Player";
        const auto writable = [](const QString &) { return true; };
        const auto readOnly = [](const QString &) { return false; };

        // A copy in a writable folder keeps its files beside it, whoever runs it.
        const QString copy = root + "/build/bin/vorlix-player";
        QDir().mkpath(root + "/build/bin");
        BaseFolderChoice c = ChooseBaseFolder(QString(), copy, user, writable);
        QCOMPARE(c.folder, root + "/build/bin");
        QVERIFY(c.seedFrom.isEmpty());
        QCOMPARE(ChooseBaseFolder(QString(), copy, user).folder, c.folder);

        // The same copy where it cannot write: the user's folder, with nothing to fill it from.
        c = ChooseBaseFolder(QString(), copy, user, readOnly);
        QCOMPARE(c.folder, user);
        QVERIFY(c.seedFrom.isEmpty());

        // Installed beside its shared data: the user's folder even where the
        // executable's folder is writable (root), filled from share/vorlix.
        const QString installed = root + "/usr/bin/vorlix-player";
        tmp.Write("usr/share/vorlix/Vorlix_Player_ini.txt", "config");
        QCOMPARE(InstalledDataFolder(installed), root + "/usr/share/vorlix");
        for (const auto &canWrite : {std::function<bool(const QString &)>(writable), {readOnly}}) {
            c = ChooseBaseFolder(QString(), installed, user, canWrite);
            QCOMPARE(c.folder, user);
            QCOMPARE(c.seedFrom, root + "/usr/share/vorlix");
        }

        // A named folder always wins, made absolute.
        c = ChooseBaseFolder("relative/base", installed, user, readOnly);
        QCOMPARE(c.folder, QDir::current().absoluteFilePath("relative/base"));
        QVERIFY(c.seedFrom.isEmpty());
    }

    void canWriteFolder()
    {
        TempBase tmp;
        QVERIFY(CanWriteFolder(tmp.path()));
        // Below a regular file nothing can be created, even by root.
        tmp.Write("file", "x");
        for (const char *folder : {"file", "file/below", "missing"})
            QVERIFY2(!CanWriteFolder(tmp.file(folder)), folder);
    }

    void seedingAtTheFirstStartOnly()
    {
        TempBase tmp;
        tmp.Write("usr/share/vorlix/Vorlix_Player_ini.txt", "shipped config");
        tmp.Write("usr/share/vorlix/Welcome.wav", "RIFF");
        tmp.Write("usr/share/vorlix/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt", "1,1,4");
        const BaseFolderChoice choice{tmp.file("home/data"), tmp.file("usr/share/vorlix")};

        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(tmp.Read("home/data/Vorlix_Player_ini.txt"), QByteArray("shipped config"));
        QCOMPARE(tmp.Read("home/data/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt"),
                 QByteArray("1,1,4"));

        // Later starts leave the user's files alone: nothing is restored or replaced.
        tmp.Write("home/data/Vorlix_Player_ini.txt", "edited config");
        QVERIFY(QFile::remove(choice.folder + "/Welcome.wav"));
        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(tmp.Read("home/data/Vorlix_Player_ini.txt"), QByteArray("edited config"));
        QVERIFY(!QFile::exists(choice.folder + "/Welcome.wav"));

        // Without the configuration it is a first start again; kept files stay.
        QVERIFY(QFile::remove(choice.folder + "/Vorlix_Player_ini.txt"));
        tmp.Write("home/data/PracticeHistory.csv", "history");
        QVERIFY(SeedBaseFolder(choice));
        QVERIFY(QFile::exists(choice.folder + "/Welcome.wav"));
        QCOMPARE(tmp.Read("home/data/PracticeHistory.csv"), QByteArray("history"));

        // Nothing to fill from: nothing done.
        QVERIFY(SeedBaseFolder({tmp.file("other"), QString()}));
        QVERIFY(!QFileInfo::exists(tmp.file("other")));
    }
};

QTEST_GUILESS_MAIN(TestBaseFolder)
#include "tst_basefolder.moc"
