#include "DemoCalls.h"

#include "util/TextFile.h"
#include "util/TextUtil.h"

int DemoCalls::LoadDemoCalls(const std::vector<TWaveSourcePair> &sources, const QString &currentWaveName,
                             const QString &demoCallsFile, QStringList &problems)
{
    QString callsPath;
    for (const TWaveSourcePair &source : sources) {
        if (source.waveNameMatches(currentWaveName)) {
            callsPath = source.callsPath();
            break;
        }
    }
    m_calls.clear();
    if (callsPath.isEmpty()) {
        problems.append(QStringLiteral("No demo source matches the wave file %1").arg(currentWaveName));
    } else if (const auto lines = TextFile::tryReadLines(callsPath)) {
        m_calls.addAll(*lines);
    } else {
        problems.append(QStringLiteral("Cannot read the demo calls file %1").arg(callsPath));
    }
    if (const auto extra = TextFile::tryReadLines(demoCallsFile)) {
        SortedTextList more;
        more.addAll(*extra);
        m_calls.addAll(more.items());
    } else {
        problems.append(QStringLiteral("Cannot read the demo calls file %1").arg(demoCallsFile));
    }
    m_count = int(m_calls.count());
    return m_count;
}

QString DemoCalls::PickCall()
{
    if (m_count <= 0 || m_calls.isEmpty())
        return {};
    const qsizetype index = qsizetype(m_random.generate() % quint32(m_count));
    return CopyBounded(m_calls.at(std::min(index, m_calls.count() - 1)), 22);
}
