#pragma once
// The calls a demonstration run logs by itself: the check list of the
// demonstration source whose wave file the host set, and the extra calls of
// DemoCalls.txt, sorted without repeats. One is drawn at random per tick.

#include "util/SortedTextList.h"
#include "util/TWaveSourcePair.h"

#include <QRandomGenerator>
#include <QStringList>
#include <vector>

class DemoCalls
{
public:
    // Fills the list for the wave file the host named; returns its count.
    // `problems` receives a text for every file that could not be read.
    int LoadDemoCalls(const std::vector<TWaveSourcePair> &sources, const QString &currentWaveName,
                      const QString &demoCallsFile, QStringList &problems);

    void Seed(quint32 seed) { m_random.seed(seed); }
    // A call drawn at random, at most 22 characters; empty when there are none.
    QString PickCall();

    int count() const { return m_count; }
    const SortedTextList &calls() const { return m_calls; }

private:
    SortedTextList m_calls;
    int m_count = 0;
    QRandomGenerator m_random;
};
