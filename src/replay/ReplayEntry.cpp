#include "ReplayEntry.h"

#include "ReplayData.h"
#include "TfmReplay.h"
#include "TfmReviewRates.h"
#include "TfmSelectReplay.h"
#include "ui/Dialogs.h"
#include "util/SessionPaths.h"
#include "util/TWaveSourcePair.h"

ReplayEntry::ReplayEntry(Dialogs &dialogs, WavePlayer &player, QWidget *parent)
    : m_dialogs(dialogs), m_player(player), m_parent(parent)
{
}

ReplayEntry::~ReplayEntry() = default;

TfmSelectReplay &ReplayEntry::SelectReplay()
{
    if (!m_select)
        m_select = std::make_unique<TfmSelectReplay>(m_parent);
    return *m_select;
}

TfmReviewRates &ReplayEntry::ReviewRates()
{
    if (!m_review)
        m_review = std::make_unique<TfmReviewRates>(m_dialogs, m_player, m_parent);
    return *m_review;
}

TfmReplay &ReplayEntry::Replay()
{
    if (!m_replay)
        m_replay = std::make_unique<TfmReplay>(m_dialogs, m_player, ReviewRates(), m_parent);
    return *m_replay;
}

void ReplayEntry::bnReplayClick(const SessionPaths &paths,
                                const std::vector<TWaveSourcePair> &practiceSources, bool testRunning)
{
    if (testRunning) {
        m_dialogs.Message(m_parent, QStringLiteral("A replay can start once the test has ended"),
                          QStringLiteral("Replay"), Dialogs::Icon::Information);
        return;
    }
    QStringList practiceCases;
    for (const TWaveSourcePair &source : practiceSources)
        practiceCases.append(source.testCaseName());
    TfmSelectReplay &select = SelectReplay();
    select.setCompetitions(ReplayCompetitions(paths.tesselTimedScores(), practiceCases));
    Dialogs::CentreOver(&select, m_parent);
    m_dialogs.ShowModal(&select);
    if (!select.ReplayChosen())
        return;
    TfmReplay &replay = Replay();
    PrepareReplay(paths, select.competition(), replay.data());
    // A competitor whose file cannot be read races at 0 and is left out of
    // the average; the player is told before the race, not left to guess.
    if (const QStringList &unread = replay.data().Unread; !unread.isEmpty())
        m_dialogs.Message(m_parent,
                          QStringLiteral("The timed scores of %1 could not be read (damaged, or too large); "
                                         "they race at 0 and are left out of the average")
                              .arg(unread.join(QStringLiteral(", "))),
                          QStringLiteral("Replay"), Dialogs::Icon::Warning, Dialogs::Ok);
    Dialogs::CentreOver(&replay, m_parent);
    m_dialogs.ShowModal(&replay);
}
