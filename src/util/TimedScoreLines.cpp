#include "TimedScoreLines.h"

#include "TextUtil.h"

qint64 RoundedSecondsBetween(qint64 startMs, qint64 nowMs)
{
    const qint64 ms = nowMs - startMs;
    return ms >= 0 ? (ms + 500) / 1000 : -((-ms + 499) / 1000);
}

void AppendTimedScoreLine(QStringList &lines, const SortedTextList &checkList, const QString &call,
                          qint64 testStartMs, qint64 nowMs)
{
    if (!checkList.contains(call))
        return;
    qint64 calls = 1;
    qint64 chars = call.size();
    if (!lines.isEmpty()) {
        // The whole previous line is read: a line of a long test may need
        // more than eleven characters, and cutting it would corrupt the counts.
        const QStringList fields = SplitFields(lines.last(), u",");
        if (fields.size() < 3)
            return;
        // Widened before adding: a damaged line may hold the largest int.
        calls = qint64(LeadingInt(fields.at(1))) + 1;
        chars += LeadingInt(fields.at(2));
    }
    const qint64 seconds = RoundedSecondsBetween(testStartMs, nowMs);
    lines.append(QStringLiteral("%1,%2,%3").arg(seconds).arg(calls).arg(chars));
}
