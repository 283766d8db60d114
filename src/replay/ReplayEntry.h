#pragma once
// The way into the replay from practice mode: the choice of a competition,
// its preparation, the race and the rate review. Owns the three windows,
// each made at its first use and kept with its state from then on.

#include <QStringList>
#include <memory>
#include <vector>

class Dialogs;
class QWidget;
class SessionPaths;
class TfmReplay;
class TfmReviewRates;
class TfmSelectReplay;
class TWaveSourcePair;
class WavePlayer;

class ReplayEntry
{
public:
    // `player` is the station's one wave player; windows open over `parent`.
    ReplayEntry(Dialogs &dialogs, WavePlayer &player, QWidget *parent);
    ~ReplayEntry();

    // Offers the competitions (the two Lakemont ones and every further one
    // with timed scores named like one of the practice cases), prepares the
    // chosen one and shows its replay; while a test runs it only says why not.
    void bnReplayClick(const SessionPaths &paths, const std::vector<TWaveSourcePair> &practiceSources,
                       bool testRunning = false);

    TfmSelectReplay &SelectReplay();
    TfmReplay &Replay();
    TfmReviewRates &ReviewRates();

private:
    Dialogs &m_dialogs;
    WavePlayer &m_player;
    QWidget *m_parent;
    std::unique_ptr<TfmSelectReplay> m_select;
    std::unique_ptr<TfmReviewRates> m_review;
    std::unique_ptr<TfmReplay> m_replay;
};
