#pragma once
// The timed-score lines of a running standalone or practice test: one line
// "seconds,calls,chars" for every new correct call, the counts cumulative.
// The lines are kept in memory during the test and written to the test's
// timed-score file at its end.

#include "util/SortedTextList.h"

#include <QDateTime>
#include <QStringList>

// Appends the line for `call` when the check list holds it. The seconds are
// the time since `testStart`, rounded to the nearest whole second (half a
// second up). Nothing is appended when the previous line lacks its counts.
void AppendTimedScoreLine(QStringList &lines, const SortedTextList &checkList, const QString &call,
                          const QDateTime &testStart, const QDateTime &now);

// Whole seconds from `start` to `now`, rounded to the nearest (half up).
qint64 RoundedSecondsBetween(const QDateTime &start, const QDateTime &now);
