#include "RaceBar.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>

RaceBar::RaceBar(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void RaceBar::setColour(const QColor &colour)
{
    m_colour = colour;
    update();
}

void RaceBar::setBarWidth(int pixels)
{
    m_barWidth = std::max(pixels, 0);
    resize(std::min(m_barWidth, m_fullWidth), height());
    setToolTip(overflowing() ? tr("Ahead of the best of the top five") : QString());
    update();
}

void RaceBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_colour);
    if (!overflowing())
        return;
    // Two arrow heads at the end, in the colour that stands out on the bar.
    const QColor mark = m_colour.lightness() > 140 ? Qt::black : Qt::white;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(mark);
    const int h = height();
    const int arrow = std::max(4, h / 2);
    for (int i = 0; i < 2; ++i) {
        const int right = width() - 2 - i * arrow;
        painter.drawPolygon(
            QPolygon({QPoint(right - arrow, 2), QPoint(right, h / 2), QPoint(right - arrow, h - 2)}));
    }
}
