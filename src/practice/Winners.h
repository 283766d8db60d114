#pragma once
// The winners of the original runnings of the practice cases: one row text a
// source ("case,Yes|No,winner,winning score,average score") and the rows the
// winners table shows from such texts.

#include "util/TWaveSourcePair.h"

#include <QStringList>
#include <vector>

// The winner row text of a source, at most 305 characters.
QString WinnerRowText(const TWaveSourcePair &source);

// The table rows of winner row texts: the first five comma-separated fields
// of each (empty fields vanish); a text with fewer is left out.
std::vector<QStringList> WinnerRows(const QStringList &rowTexts);

// The winner row texts of the cases named in a list of practice scores: the
// names sorted without regard to letter case, repeats dropped, each matched
// to the first source of that name; a name with no source gives no row.
QStringList WinnerRowTextsFor(const QStringList &caseNames,
                              const std::vector<const TWaveSourcePair *> &sources);
