#pragma once
// The few looks the windows share, set through fonts and palettes. Style
// sheets, or a second font family, would cost every start of the station
// several milliseconds and hundreds of kilobytes.

#include <QColor>
#include <QList>

class QHeaderView;
class QTableView;
class QWidget;

namespace Looks {

// The yellow of status panels and of the closed call entry box.
inline QColor Yellow()
{
    return QColor(255, 255, 128);
}

// Fills the widget's background with a colour (for labels and panels).
void SetBackground(QWidget *widget, const QColor &colour);
// Gives an edit box a coloured field; an invalid colour gives back the normal
// one. Its text reads on the field also while the box is disabled, for a box
// that shows results there.
void SetFieldColour(QWidget *widget, const QColor &colour);
void SetBold(QWidget *widget, int pointSize = 0);

// The width limits of a list's columns, in column order: each column starts
// at its maximum, and the user's resizing stays within its limits.
struct WidthLimits
{
    int minimum;
    int maximum;
};
void HoldColumnWidths(QHeaderView *header, const QList<WidthLimits> &limits);
// After a list is filled: a column whose held maximum would cut its heading
// or one of its cells is widened to show them whole (and may be resized up
// to that width), a column back at its maximum otherwise; then the window
// is widened (or narrowed back) so that every column shows.
void FitColumnsToTexts(QTableView *table);
// Widens the list's window, within the screen, until its columns show
// without scrolling sideways; narrows it back, not below its first width,
// when they need less.
void WidenToColumns(QTableView *table);

} // namespace Looks
