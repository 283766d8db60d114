// Fuzz target: reading the player configuration. The input up to its first
// form feed (0x0C) is the configuration file; what follows it, if anything,
// is the content of every calls file the configuration can name:
//
//   base folder:  Vorlix_Player_ini.txt  Pileup.wav  PileupCalls.txt
//                 StandAlone.wav  StandAloneCalls.txt
//   practice:     Case.wav  CaseCalls.txt
//
// Reading prepares (rewrites) the calls files of available sources. Every
// file lives in a scratch folder made anew for each input, and an input that
// names a path with ".." in it is refused, so nothing outside that folder is
// ever written.

#include "FuzzSupport.h"
#include "session/PlayerConfig.h"
#include "util/TextFile.h"

#include <QDir>

namespace {

const QByteArray DefaultCalls = "K5XX\r\ndl1abc\r\nØZ1A\r\nDL1ABC\r\n";

void PlaceFile(const QString &folder, const QString &name, QByteArrayView bytes)
{
    Fuzz::WriteFile(folder + u'/' + name, bytes);
}

// Preparing a source's calls file again changes nothing, whether the first
// time rewrote the file or left it alone.
void CheckPreparedOnce(const TWaveSourcePair &source)
{
    const QByteArray once = Fuzz::ReadFile(source.callsPath());
    source.PrepareCallsFile();
    FUZZ_CHECK(Fuzz::ReadFile(source.callsPath()) == once);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input = Fuzz::Bytes(data, size);
    const qsizetype formFeed = input.indexOf('\f');
    const QByteArrayView config = formFeed < 0 ? input : input.first(formFeed);
    const QByteArrayView calls = formFeed < 0 ? QByteArrayView(DefaultCalls) : input.sliced(formFeed + 1);
    // Source lines name files relative to the folders: ".." would reach out.
    if (TextFile::decode(config.toByteArray()).contains(u".."))
        return -1;

    const QString base = Fuzz::ScratchFolder() + QStringLiteral("/base");
    const QString practice = base + QStringLiteral("/PracticeWavesAndCalls");
    QDir(base).removeRecursively();
    FUZZ_CHECK(QDir().mkpath(practice));
    PlaceFile(base, QStringLiteral("Vorlix_Player_ini.txt"), config);
    // Named unlike the station's own files (DemoCalls.txt is one), which
    // reading the configuration never rewrites.
    PlaceFile(base, QStringLiteral("Pileup.wav"), "RIFF");
    PlaceFile(base, QStringLiteral("PileupCalls.txt"), calls);
    PlaceFile(base, QStringLiteral("StandAlone.wav"), "RIFF");
    PlaceFile(base, QStringLiteral("StandAloneCalls.txt"), calls);
    PlaceFile(practice, QStringLiteral("Case.wav"), "RIFF");
    PlaceFile(practice, QStringLiteral("CaseCalls.txt"), calls);

    PlayerConfig reader;
    // Any letter case names the configuration.
    const int result =
        reader.ReadPlayerConfig(base + QStringLiteral("/VORLIX_PLAYER_INI.TXT"), base, practice);
    FUZZ_CHECK(result == PlayerConfig::Loaded || result == PlayerConfig::NoDemoSource);
    FUZZ_CHECK(result == reader.result());

    FUZZ_CHECK(!reader.adminPassword().isEmpty());
    FUZZ_CHECK(reader.adminPassword().size() <= PlayerConfig::kPasswordMax);
    FUZZ_CHECK(!reader.standAloneCallsPresent() || !reader.standAloneCallsPath().isEmpty());
    const SortedTextList &checkList = reader.standAloneCheckList();
    for (qsizetype i = 1; i < checkList.count(); ++i)
        FUZZ_CHECK(QStringView(checkList.at(i - 1)).compare(checkList.at(i), Qt::CaseInsensitive) < 0);

    for (const TWaveSourcePair &source : reader.demoSources()) {
        FUZZ_CHECK(source.available());
        FUZZ_CHECK(source.callsPath().startsWith(base + u'/'));
        CheckPreparedOnce(source);
    }
    for (const TWaveSourcePair &source : reader.practiceSources()) {
        FUZZ_CHECK(source.wavePath().size() <= TWaveSourcePair::kPathMax);
        FUZZ_CHECK(source.winner().size() <= TWaveSourcePair::kWinnerMax);
        FUZZ_CHECK(source.winningScore().size() <= TWaveSourcePair::kScoreMax);
        FUZZ_CHECK(source.averageScore().size() <= TWaveSourcePair::kScoreMax);
        if (source.available()) {
            FUZZ_CHECK(source.callsPath().startsWith(practice + u'/'));
            CheckPreparedOnce(source);
        }
    }
    return 0;
}
