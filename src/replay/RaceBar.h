#pragma once
// One bar of the replay race: a plain coloured rectangle whose width is a
// player's characters so far. A bar longer than the race's full width (a
// player ahead of the best of the top five) stops at the full width's end
// and shows an overflow mark there, so it never runs out of its window.

#include <QColor>
#include <QWidget>

class RaceBar : public QWidget
{
    Q_OBJECT

public:
    explicit RaceBar(QWidget *parent = nullptr);

    void setColour(const QColor &colour);
    const QColor &colour() const { return m_colour; }
    // The longest width drawn; a longer bar shows the overflow mark.
    void setFullWidth(int pixels) { m_fullWidth = pixels; }
    // The bar's width in pixels, as the race gives it.
    void setBarWidth(int pixels);
    int barWidth() const { return m_barWidth; }
    bool overflowing() const { return m_barWidth > m_fullWidth; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour = Qt::gray;
    int m_fullWidth = 951;
    int m_barWidth = 0;
};
