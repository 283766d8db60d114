#pragma once
// A status line that may end in a long path: its text stays whole (for the
// code and for screen readers), but it is drawn shortened in the middle so
// that it fits the label, the file name at its end kept whole; the whole text
// is its tooltip. It asks the layout for no more width than a short text.

#include <QLabel>

class PathLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The text as drawn at the label's present width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
};
