#include "HostResults.h"

#include <algorithm>
#include <functional>

using HostProtocol::LogMethod;

QString ResultsHeader()
{
    return QStringLiteral("Rank,Position,Call,Method,Calls,Chars");
}

QStringList RankResults(std::vector<HostResult> &results)
{
    const auto paper = [](const HostResult &r) { return r.method == LogMethod::Paper; };
    const auto better = [](const HostResult &a, const HostResult &b) {
        return a.score.calls != b.score.calls ? a.score.calls > b.score.calls : a.score.chars > b.score.chars;
    };
    const auto firstPaper = std::stable_partition(results.begin(), results.end(), std::not_fn(paper));
    std::stable_sort(results.begin(), firstPaper, better);
    const auto ranked = firstPaper - results.begin();

    QStringList lines;
    qsizetype place = 0;
    for (qsizetype k = 0; k < qsizetype(results.size()); ++k) {
        HostResult &r = results[std::size_t(k)];
        const QString method = paper(r) ? QStringLiteral("Paper") : QStringLiteral("Computer");
        if (k >= ranked) {
            r.rank = QStringLiteral("PAPER");
            lines << QStringLiteral("PAPER,%1,%2,%3,,").arg(r.position, r.call, method);
            continue;
        }
        if (k == 0 || better(results[std::size_t(k - 1)], r))
            place = k + 1;
        r.rank = QStringLiteral("%1 of %2").arg(place).arg(ranked);
        lines << QStringLiteral("%1,%2,%3,%4,%5,%6")
                     .arg(QString::number(place), r.position, r.call, method, QString::number(r.score.calls),
                          QString::number(r.score.chars));
    }
    return lines;
}
