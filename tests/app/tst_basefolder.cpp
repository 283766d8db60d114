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
        const QString user = root + QStringLiteral("/home/.local/share/vorlix/Vorlix Player");
        const auto writable = [](const QString &) { return true; };
        const auto readOnly = [](const QString &) { return false; };

        // A copy in a writable folder keeps its files beside it, whoever runs it.
        const QString copy = root + QStringLiteral("/build/bin/vorlix-player");
        QDir().mkpath(root + QStringLiteral("/build/bin"));
        BaseFolderChoice c = ChooseBaseFolder(QString(), copy, user, writable);
        QCOMPARE(c.folder, root + QStringLiteral("/build/bin"));
        QVERIFY(c.seedFrom.isEmpty());
        QCOMPARE(ChooseBaseFolder(QString(), copy, user).folder, c.folder);

        // The same copy where it cannot write: the user's folder, with nothing to fill it from.
        c = ChooseBaseFolder(QString(), copy, user, readOnly);
        QCOMPARE(c.folder, user);
        QVERIFY(c.seedFrom.isEmpty());

        // Installed beside its shared data: the user's folder even where the
        // executable's folder is writable (root), filled from share/vorlix.
        const QString installed = root + QStringLiteral("/usr/bin/vorlix-player");
        Write(root + QStringLiteral("/usr/share/vorlix/Vorlix_Player_ini.txt"), "config");
        QCOMPARE(InstalledDataFolder(installed), root + QStringLiteral("/usr/share/vorlix"));
        for (const auto &canWrite : {std::function<bool(const QString &)>(writable), {readOnly}}) {
            c = ChooseBaseFolder(QString(), installed, user, canWrite);
            QCOMPARE(c.folder, user);
            QCOMPARE(c.seedFrom, root + QStringLiteral("/usr/share/vorlix"));
        }

        // A named folder always wins, made absolute.
        c = ChooseBaseFolder(QStringLiteral("relative/base"), installed, user, readOnly);
        QCOMPARE(c.folder, QDir::current().absoluteFilePath(QStringLiteral("relative/base")));
        QVERIFY(c.seedFrom.isEmpty());
    }

    void canWriteFolder()
    {
        QTemporaryDir tmp;
        QVERIFY(CanWriteFolder(tmp.path()));
        // Below a regular file nothing can be created, even by root.
        Write(tmp.filePath(QStringLiteral("file")), "x");
        QVERIFY(!CanWriteFolder(tmp.filePath(QStringLiteral("file"))));
        QVERIFY(!CanWriteFolder(tmp.filePath(QStringLiteral("file/below"))));
        QVERIFY(!CanWriteFolder(tmp.filePath(QStringLiteral("missing"))));
    }

    void seedingAtTheFirstStartOnly()
    {
        QTemporaryDir tmp;
        const QString shared = tmp.filePath(QStringLiteral("usr/share/vorlix"));
        Write(shared + QStringLiteral("/Vorlix_Player_ini.txt"), "shipped config");
        Write(shared + QStringLiteral("/Welcome.wav"), "RIFF");
        Write(shared + QStringLiteral("/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt"), "1,1,4");
        const BaseFolderChoice choice{tmp.filePath(QStringLiteral("home/data")), shared};

        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(Read(choice.folder + QStringLiteral("/Vorlix_Player_ini.txt")),
                 QByteArray("shipped config"));
        QCOMPARE(Read(choice.folder +
                      QStringLiteral("/PracticeWavesAndCalls/Tessel-TimedScores/Case/TS_K1AA.txt")),
                 QByteArray("1,1,4"));

        // Later starts leave the user's files alone: nothing is restored or replaced.
        Write(choice.folder + QStringLiteral("/Vorlix_Player_ini.txt"), "edited config");
        QVERIFY(QFile::remove(choice.folder + QStringLiteral("/Welcome.wav")));
        QVERIFY(SeedBaseFolder(choice));
        QCOMPARE(Read(choice.folder + QStringLiteral("/Vorlix_Player_ini.txt")), QByteArray("edited config"));
        QVERIFY(!QFile::exists(choice.folder + QStringLiteral("/Welcome.wav")));

        // Without the configuration it is a first start again; kept files stay.
        QVERIFY(QFile::remove(choice.folder + QStringLiteral("/Vorlix_Player_ini.txt")));
        Write(choice.folder + QStringLiteral("/PracticeHistory.csv"), "history");
        QVERIFY(SeedBaseFolder(choice));
        QVERIFY(QFile::exists(choice.folder + QStringLiteral("/Welcome.wav")));
        QCOMPARE(Read(choice.folder + QStringLiteral("/PracticeHistory.csv")), QByteArray("history"));

        // Nothing to fill from: nothing done.
        QVERIFY(SeedBaseFolder({tmp.filePath(QStringLiteral("other")), QString()}));
        QVERIFY(!QFileInfo::exists(tmp.filePath(QStringLiteral("other"))));
    }
};

QTEST_GUILESS_MAIN(TestBaseFolder)
#include "tst_basefolder.moc"
