#include "RatesChart.h"

#include "ui/ChartDrawing.h"
#include "util/IntervalRates.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

constexpr int LeftMargin = 40;
constexpr int TopMargin = 24;
constexpr int BottomMargin = 22;
constexpr int LegendWidth = 170;
constexpr int LegendLineHeight = 18;

} // namespace

RatesChart::RatesChart(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(400, 160);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(QStringLiteral("Characters in each interval"));
}

void RatesChart::setSeries(const QList<Series> &series)
{
    m_series = series;
    update();
}

void RatesChart::setSelectedInterval(int interval)
{
    m_selected = interval >= 0 && interval < RateIntervalCount ? interval : -1;
    update();
}

QRectF RatesChart::plotArea() const
{
    return QRectF(rect()).adjusted(LeftMargin, TopMargin, -LegendWidth, -BottomMargin);
}

int RatesChart::topValue() const
{
    int top = 1;
    for (const Series &s : m_series)
        for (int value : s.chars)
            top = std::max(top, value);
    return top;
}

QRectF RatesChart::intervalBand(int interval) const
{
    const QRectF area = plotArea();
    const qreal step = area.width() / RateIntervalCount;
    return QRectF(area.left() + step * interval, area.top(), step, area.height());
}

QList<QPointF> RatesChart::seriesPoints(int index) const
{
    QList<QPointF> points;
    if (index < 0 || index >= m_series.size())
        return points;
    const QRectF area = plotArea();
    const int top = topValue();
    const QList<int> &chars = m_series[index].chars;
    for (int i = 0; i < std::min<int>(int(chars.size()), RateIntervalCount); ++i) {
        const qreal value = std::max(0, chars[i]);
        points.append(QPointF(intervalBand(i).center().x(), area.bottom() - area.height() * value / top));
    }
    return points;
}

int RatesChart::intervalAt(const QPointF &point) const
{
    // The interval's labels under the axis belong to it too.
    const QRectF area = plotArea().adjusted(0, 0, 0, BottomMargin);
    if (!area.contains(point))
        return -1;
    const int interval = int((point.x() - area.left()) * RateIntervalCount / area.width());
    return std::clamp(interval, 0, RateIntervalCount - 1);
}

void RatesChart::mousePressEvent(QMouseEvent *event)
{
    const int interval = intervalAt(event->position());
    if (event->button() == Qt::LeftButton && interval >= 0)
        emit intervalColumnClicked(interval + 1);
}

void RatesChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    const QColor text = palette().color(QPalette::WindowText);
    if (m_selected >= 0)
        painter.fillRect(intervalBand(m_selected), QColor(255, 255, 0, 110));

    painter.setPen(text);
    painter.drawText(QRectF(area.left(), 0, area.width(), TopMargin), Qt::AlignCenter,
                     tr("Characters in each 20-second interval; click an interval to hear it"));
    ChartDrawing::DrawAxes(painter, area);
    const int top = topValue();
    painter.drawText(QRectF(0, area.top() - 8, LeftMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(top));
    painter.drawText(QRectF(0, area.bottom() - 8, LeftMargin - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("0"));
    for (int i = 0; i < RateIntervalCount; ++i) {
        const QRectF band = intervalBand(i);
        painter.drawText(QRectF(band.left(), area.bottom() + 2, band.width(), BottomMargin - 2),
                         Qt::AlignHCenter | Qt::AlignTop, QString::number(i * RateIntervalSeconds));
    }

    for (int index = 0; index < int(m_series.size()); ++index) {
        const QColor colour = ChartDrawing::SeriesColour(index);
        ChartDrawing::DrawSeries(painter, seriesPoints(index), colour);
        const qreal y = area.top() + LegendLineHeight * index;
        const qreal x = area.right() + 12;
        painter.setPen(QPen(colour, 3));
        painter.drawLine(QPointF(x, y + LegendLineHeight / 2.0), QPointF(x + 18, y + LegendLineHeight / 2.0));
        painter.setPen(text);
        painter.drawText(QRectF(x + 24, y, LegendWidth - 36, LegendLineHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, m_series[index].caption);
    }
}
