#pragma once
// Windows on small or scaled screens: a window is never larger than the
// screen's free area. Its texts keep their size; what does not fit scrolls.

#include <QMargins>
#include <QSize>

class QDialog;
class QWidget;

namespace ScreenFit {

// The window's frame (title bar and borders): as the window system draws
// it, but never less than a generous estimate.
QMargins FrameOf(const QWidget *window);
// The widest and tallest the window itself may be on its screen.
QSize Room(const QWidget *window);
// Moves the controls of a window laid out at fixed places into a scroll
// area that fills the window, and returns the widget that holds them now.
QWidget *ScrollContents(QDialog *window);
// The window fixed at the size of `contents` and what surrounds it, or at
// the screen's free area where that is smaller (the contents then scroll).
void FitAround(QDialog *window, QWidget *contents);

} // namespace ScreenFit
