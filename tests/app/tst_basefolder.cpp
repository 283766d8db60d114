// Where the station keeps its files: beside a build-folder copy, in the
// user's data folder when installed (filled from the shared data at its
// first start), or in the folder the user names.

#include "util/BaseFolder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

void Write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray Read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestBaseFolder : public QObject
{
    Q_OBJECT

private slots:
    void choice()
    {
        QTemporaryDir tmp;
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
        Write(root + "/usr/share/vorlix/Vorlix_Player_ini.txt", "config");
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
        QTemporaryDir tmp;
        QVERIFY(CanWriteFolder(tmp.path()));
        // Below a regular file nothing can be created, even by root.
        Write(tmp.filePath("file"), "x");
        for (const char *folder : {"file", "file/below", "missing"})
            QVERIFY2(!CanWriteFolder(tmp.filePath(folder)), folder);
    }

    void seedingAtTheFirstStartOnly()
    {
        QTemporaryDir tmp;
        const QString shared = tmp.filePath("usr/share/vorlix");
        Write(shared + "/Vorlix_Player_ini.txt", "shipped config");
        Write(shared + "/Welcome.wav", "RIFF");
        Write(shared + "/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt", "1,1,4");
        const BaseFolderChoice choice{tmp.filePath("home/data"), shared};

        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(Read(choice.folder + "/Vorlix_Player_ini.txt"), QByteArray("shipped config"));
        QCOMPARE(Read(choice.folder + "/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt"),
                 QByteArray("1,1,4"));

        // Later starts leave the user's files alone: nothing is restored or replaced.
        Write(choice.folder + "/Vorlix_Player_ini.txt", "edited config");
        QVERIFY(QFile::remove(choice.folder + "/Welcome.wav"));
        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(Read(choice.folder + "/Vorlix_Player_ini.txt"), QByteArray("edited config"));
        QVERIFY(!QFile::exists(choice.folder + "/Welcome.wav"));

        // Without the configuration it is a first start again; kept files stay.
        QVERIFY(QFile::remove(choice.folder + "/Vorlix_Player_ini.txt"));
        Write(choice.folder + "/PracticeHistory.csv", "history");
        QVERIFY(SeedBaseFolder(choice));
        QVERIFY(QFile::exists(choice.folder + "/Welcome.wav"));
        QCOMPARE(Read(choice.folder + "/PracticeHistory.csv"), QByteArray("history"));

        // Nothing to fill from: nothing done.
        QVERIFY(SeedBaseFolder({tmp.filePath("other"), QString()}));
        QVERIFY(!QFileInfo::exists(tmp.filePath("other")));
    }
};

QTEST_GUILESS_MAIN(TestBaseFolder)
#include "tst_basefolder.moc"
