#pragma once
// The look of the station's small hand-painted charts: their line colours,
// axes and series, so every chart reads the same way.

#include <QColor>
#include <QList>
#include <QPointF>
#include <QRectF>

class QPainter;

namespace ChartDrawing {

// Well distinguishable line colours, starting with blue and orange; they
// repeat after the tenth.
QColor SeriesColour(int index);

// The left and bottom axes of `area`, in the painter's pen.
void DrawAxes(QPainter &painter, const QRectF &area);

// A line through the points, with a dot on each unless `dots` is false.
void DrawSeries(QPainter &painter, const QList<QPointF> &points, const QColor &colour, bool dots = true);

// A band through pairs of points, (x, low) then (x, high) for each x from
// left to right: the range of a series too dense to draw run by run.
void DrawBand(QPainter &painter, const QList<QPointF> &pairs, const QColor &colour);

} // namespace ChartDrawing
