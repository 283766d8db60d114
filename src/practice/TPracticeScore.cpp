#include "TPracticeScore.h"

#include "SharedTexts.h"
#include "util/TextUtil.h"

#include <algorithm>

namespace {

// The name after the last folder separator. Logs written here carry '/',
// logs of older installations '\'; both are folders.
QStringView FileNameOf(QStringView path)
{
    const qsizetype slash = std::max(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return path.sliced(slash + 1);
}

QString Bounded(QStringView text, qsizetype maximum, SharedTexts *pool)
{
    return pool ? pool->get(text, maximum) : CopyBounded(text, maximum);
}

} // namespace

TPracticeScore TPracticeScore::FromFields(const QStringView (&fields)[7], const Pools &pools)
{
    TPracticeScore score;
    score.date = Bounded(fields[0], kDateMax, pools.dates);
    score.time = CopyBounded(fields[1], kTimeMax);
    score.logFile = CopyBounded(FileNameOf(fields[2]), kLogFileMax);
    score.loggingMethod = Bounded(fields[3], kMethodMax, pools.methods);
    score.testCase = Bounded(fields[4], kCaseMax, pools.cases);
    score.calls = LeadingInt(fields[5]);
    score.chars = LeadingInt(fields[6]);
    return score;
}

TPracticeScore TPracticeScore::FromFields(const QStringView (&fields)[7])
{
    return FromFields(fields, Pools{});
}
