#include "ChartDrawing.h"

#include <QPainter>
#include <QPolygonF>

#include <iterator>

namespace ChartDrawing {

QColor SeriesColour(int index)
{
    static const QColor colours[] = {{0, 90, 200},   {230, 120, 0},  {0, 150, 60},  {200, 30, 40},
                                     {130, 60, 180}, {140, 90, 40},  {220, 0, 160}, {0, 150, 160},
                                     {0, 0, 0},      {120, 120, 120}};
    constexpr int count = int(std::size(colours));
    return colours[((index % count) + count) % count];
}

void DrawAxes(QPainter &painter, const QRectF &area)
{
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.drawLine(area.bottomLeft(), area.topLeft());
}

void DrawSeries(QPainter &painter, const QList<QPointF> &points, const QColor &colour, bool dots)
{
    painter.save();
    painter.setPen(QPen(colour, 2));
    painter.drawPolyline(points.constData(), int(points.size()));
    if (dots) {
        for (const QPointF &p : points)
            painter.drawEllipse(p, 2.5, 2.5);
    }
    painter.restore();
}

void DrawBand(QPainter &painter, const QList<QPointF> &pairs, const QColor &colour)
{
    QPolygonF outline;
    outline.reserve(pairs.size());
    for (qsizetype i = 1; i < pairs.size(); i += 2)
        outline.append(pairs[i]);
    for (qsizetype i = pairs.size() - 2; i >= 0; i -= 2)
        outline.append(pairs[i]);
    painter.save();
    QColor fill = colour;
    fill.setAlpha(150);
    painter.setPen(colour);
    painter.setBrush(fill);
    painter.drawPolygon(outline);
    painter.restore();
}

} // namespace ChartDrawing
