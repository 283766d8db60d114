#pragma once
// Room for the longest text a box can show: an edit box keeps the width that
// its longest text needs, whatever the font and the screen's scaling; a path
// too long for its box is shown shortened in the middle, its file name whole.

#include <QStringList>

class QFontMetrics;
class QLineEdit;

namespace TextFit {

// The width of the text area of `box` (inside its frame and margins).
int TextAreaWidth(const QLineEdit *box);
// The width `box` needs for each of `texts` to show whole in its font.
int WidthFor(const QLineEdit *box, const QStringList &texts);
// Gives `box` at least the width in which each of `texts` shows whole, in
// its font or, when `pointSize` is given, in its font at that size.
void ReserveWidth(QLineEdit *box, const QStringList &texts, int pointSize = 0);
// From now on `box` shows every text whole: a text too wide for the box in
// its own font is shown in a smaller one, down to `smallestPointSize` (give
// the box room for its longest text at that size with ReserveWidth).
void ShrinkToFit(QLineEdit *box, int smallestPointSize);
// `path` shortened to `width` pixels: the folders elided in the middle, the
// file name kept (itself shortened from the left only when alone it is too wide).
QString ElidedPath(const QString &path, const QFontMetrics &metrics, int width);
// Shows `path` in the read-only `box`, shortened to fit; the whole path is
// its tooltip.
void ShowPath(QLineEdit *box, const QString &path);

} // namespace TextFit
