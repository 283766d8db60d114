#pragma once
// A new practice case made on the spot: a synthesized pileup, its check list
// and timeline, and the timed scores of a simulated field of competitors who
// copied it, written into the practice tree of a station's base folder with
// the case's source line added to the station's configuration.
//
// Layout, inside PracticeWavesAndCalls of the base folder:
//   <name>/<name>.wav, <name>/<name>Calls.txt, <name>/<name>Timeline.csv,
//   <name>/<name>Level.txt ("LEVEL=<level>")
//   Tessel-TimedScores/<name>/TS_<competitor>.txt
// and the line "VORLIX_WAVESOURCE_PRACTICE=<name>\<name>.wav,
// <name>\<name>Calls.txt,<name>,<winner>,<winning calls>,<average calls>"
// at the end of Vorlix_Player_ini.txt.
//
// All or nothing: everything is written into a hidden folder beside the
// case's, synced, then moved into place, and the configuration is replaced
// atomically last; a failure or a cancel on the way removes what was moved.

#include "SynthError.h"
#include "SynthOptions.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// One of the four levels a player picks from, or the synthesizer's own
// settings ("Custom").
struct CaseLevel
{
    QString name;
    double callersPerMinute = 30.0;
    double wpmMin = 22.0;
    double wpmMax = 40.0;
    double pitchSpreadHz = 400.0;
    double snrDb = 15.0;
    double fadingFraction = 0.3;
    double repeatProbability = 0.4;
    double crashesPerMinute = 1.5;
    double densityDepth = 0.6;

    // From first pileup to expert.
    static const std::vector<CaseLevel> &presets();
    // The preset of that name (letter case ignored); null when none is.
    static const CaseLevel *find(const QString &name);

    // The synthesizer's settings for `minutes` of this level.
    SynthOptions options(double minutes, quint64 seed) const;
    // Its figures in words, as the player reads them beside its name.
    QString figures() const;
};

struct PracticeCaseRequest
{
    QString name;
    QString level = QStringLiteral("Custom"); // kept with the case
    SynthOptions options;
    QStringList callList; // calls to draw from; empty: made up
};

struct PracticeCaseResult
{
    QString configLine;
    QString winner;
    int winningCalls = 0;
    int averageCalls = 0;
    int calls = 0; // in the check list
};

// Thrown when the progress callback asked to stop.
class CaseCancelled : public SynthError
{
public:
    CaseCancelled() : SynthError(QStringLiteral("Cancelled: no case was made")) {}
};

class PracticeCase
{
public:
    static constexpr int Competitors = 40;
    static constexpr qsizetype NameMax = 60;

    // Why `name` cannot name a new case in `baseFolder`: empty, blanks around
    // it, a character that would leave its folder or split the source line,
    // a device name, longer than NameMax, or the name of a configured case or
    // of a folder of the practice tree (letter case ignored). Empty when it can.
    static QString refusal(const QString &baseFolder, const QString &name);
    // "Synth <date> <level>", made unique in `baseFolder` with " 2", " 3"...
    static QString defaultName(const QString &baseFolder, const QString &date, const QString &level);

    // Called with the work done in percent; returning false cancels.
    using Progress = std::function<bool(int percent)>;

    // Makes the case; raises SynthError saying what failed (CaseCancelled when
    // cancelled), in both cases leaving nothing behind.
    static PracticeCaseResult make(const QString &baseFolder, const PracticeCaseRequest &request,
                                   const Progress &progress = {});
};
