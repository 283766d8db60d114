#pragma once
// The timed-score lines of a running standalone or practice test: one line
// "seconds,calls,chars" for every new correct call, the counts cumulative.
// The lines are kept in memory during the test and written to the test's
// timed-score file at its end.

#include "util/SortedTextList.h"

#include <QStringList>

// Appends the line for `call` when the check list holds it. The seconds are
// the time from `testStartMs` to `nowMs` (readings of the monotonic clock),
// rounded to the nearest whole second (half a second up). Nothing is appended when the previous line lacks
// its counts.
void AppendTimedScoreLine(QStringList &lines, const SortedTextList &checkList, const QString &call,
                          qint64 testStartMs, qint64 nowMs);

// Whole seconds from `startMs` to `nowMs`, rounded to the nearest (half up).
qint64 RoundedSecondsBetween(qint64 startMs, qint64 nowMs);
