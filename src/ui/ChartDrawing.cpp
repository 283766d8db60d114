#include "ChartDrawing.h"

#include <QPainter>

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

void DrawSeries(QPainter &painter, const QList<QPointF> &points, const QColor &colour)
{
    painter.save();
    painter.setPen(QPen(colour, 2));
    painter.drawPolyline(points.constData(), int(points.size()));
    for (const QPointF &p : points)
        painter.drawEllipse(p, 2.5, 2.5);
    painter.restore();
}

} // namespace ChartDrawing
