#pragma once
// Small text routines shared by the whole station: bounded copies, the
// comma-separated field tokenizer, leading-digit numbers and the clock text.

#include <QString>
#include <QStringList>
#include <QStringView>

// At most the first `maximum` characters of `source`; longer text is cut
// without notice.
QString CopyBounded(QStringView source, qsizetype maximum);

// Appends to a bounded text: at most (maximum - current length) characters.
void AppendBounded(QString &destination, QStringView source, qsizetype maximum);

// Cuts `text` at every character of `separators`; a run of separators counts
// as one, so empty fields vanish and the following fields move up.
QStringList SplitFields(QStringView text, QStringView separators);

// The value of the leading digits of `text` (leading blanks and one sign
// accepted, reading stops at the first non-digit); 0 without digits. Values
// beyond the range of a 32-bit integer are held at its limit.
int LeadingInt(QStringView text);

// The minutes-and-seconds clock text of a whole number of seconds, "mm:ss";
// each part keeps only its first two characters (6000 s gives "10:00").
// Negative seconds are shown as "00:00".
QString FormatMinSec(int seconds);

// Letter-case-insensitive equality, as every comparison of calls, file and
// case names in the station.
inline bool SameText(QStringView a, QStringView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}
