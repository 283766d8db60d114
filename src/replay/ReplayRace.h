#pragma once
// The race of a replay, without widgets: what the replay window shows at
// each second. Activation loads the player's best practice run of the case,
// builds every table and writes the MinTop file (the smallest cumulative
// characters among the top five at each second); Start picks the further
// competitor and the audio's length; each tick moves the race one second on.
// The window only copies the values it reads here into its boxes and bars.

#include "ReplayData.h"

#include <QString>

class ReplayRace
{
public:
    // Bars start 114 pixels inside their group box (further when the call
    // column widens for a long call) and run 951 pixels for the best total
    // of the top five; at rest they are 5 pixels wide.
    static constexpr int BarLeft = 114;
    static constexpr int FullWidth = 951;
    static constexpr int RestWidth = 5;
    static constexpr int MinBandWidth = 2;

    explicit ReplayRace(ReplayData &data) : m_data(data) {}

    // Loads the player's best run, builds the top five's tables and the
    // band tables, writes the MinTop file and finds the competition's wave.
    // False when the MinTop file could not be written (the race still runs).
    bool Activate();
    // The player's practice timed scores of this case.
    QString UserFolder() const;
    // Sets WavePath from the first practice source of the configuration that
    // names this case; keeps it when none does.
    void FindReplayWave();

    // Loads the competitor chosen in the select box ("None" or empty: none).
    void ChooseCompetitor(const QString &entry);
    // The race begins at second 0 with audio `lengthMs` long.
    void Begin(qint64 lengthMs);
    // One second on; false when the race is not running (nothing to show).
    bool Tick();
    // Back to second 0, the race no longer running.
    void Reset();

    // Values at the second shown; past the tables' end, their last second.
    qint32 TopNow(int place) const;
    qint32 SelectNow() const;
    qint32 UserNow() const;
    qint32 AvgNow() const;
    QString RemainingText() const;

    // The band from the fifth to the first of the top five, in pixels from
    // the bars' left edge.
    struct Band
    {
        int left = 0;
        int width = MinBandWidth;
        bool shown = false;
    };
    Band TopBand() const;
    // The width of a bar for `chars` characters; may exceed the full width.
    int BarWidth(qint64 chars) const;

    ReplayData &data() { return m_data; }
    const TTimedScore *SelectedScore() const { return m_selected.get(); }
    const TTimedScore *UserBest() const { return m_userBest.get(); }
    const QString &WavePath() const { return m_wavePath; }

    int ElapsedSeconds = 0;
    int StepSeconds = 1;
    int AudioSeconds = 0;
    bool Running = false;
    bool Finished = true;
    qint32 MaxTotalChars = 0;
    float PixelsPerChar = 0;

private:
    int shownSecond() const;

    ReplayData &m_data;
    std::unique_ptr<TTimedScore> m_selected;
    std::unique_ptr<TTimedScore> m_userBest;
    std::array<qint32, TimedScoreSeconds> m_minTop{};
    std::array<qint32, TimedScoreSeconds> m_maxTop{};
    QString m_wavePath;
};
