#pragma once
// Reading the practice history file (PracticeHistory.csv) back into
// records, and their order in the practice scores.
//
// Every line after the header is "date, hh:mm,log path,method,case,calls,chars".
// A line is cut at commas, a run of commas counting as one so that empty
// fields vanish; its first seven fields make a record, the rest is ignored,
// and a line of fewer than seven fields is passed over. Counts are read from
// their leading digits (0 without any).

#include "TPracticeScore.h"

#include <QString>
#include <QStringView>
#include <optional>

namespace PracticeHistory {

constexpr qint64 kMaxBytes = qint64(256) << 20;

// The first seven fields of `line`; false when it has fewer.
bool SplitLine(QStringView line, QStringView (&fields)[7]);

// The records of the history file `path`, in file order: all of them, or
// those of `caseName` only (compared without regard to letter case) when
// one is given. The header the station writes as line 1 is not a score and
// is left out. Nothing when the file does not exist; raises "Cannot open
// file %s" when it exists but cannot be read, and a note of its size when it
// is beyond kMaxBytes (decades of practice at the busiest club station):
// such a file is left as it is, never read into memory.
std::optional<TPracticeScoreList> Read(const QString &path, const std::optional<QString> &caseName = {});

// Case ascending without regard to letter case, then correct calls
// descending; records equal in both stay in file order (oldest first).
void Sort(TPracticeScoreList &scores);

} // namespace PracticeHistory
