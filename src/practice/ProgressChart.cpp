#include "ProgressChart.h"

#include "ui/ChartDrawing.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace {

constexpr int kMargin = 26;

} // namespace

ProgressChart::ProgressChart(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(240, 110);
    setAccessibleName(QStringLiteral("Progress of the runs of this case"));
}

void ProgressChart::setRuns(const QList<Run> &runs)
{
    m_runs = runs;
    update();
}

QRectF ProgressChart::plotArea() const
{
    return QRectF(rect()).adjusted(kMargin, 8, -8, -kMargin);
}

QList<QPointF> ProgressChart::seriesPoints(bool chars) const
{
    QList<QPointF> points;
    if (m_runs.size() < 2)
        return points;
    // Each series on its own scale: calls and characters differ about fivefold.
    int top = 1;
    for (const Run &run : m_runs)
        top = std::max(top, chars ? run.chars : run.calls);
    const QRectF area = plotArea();
    const qreal step = area.width() / qreal(m_runs.size() - 1);
    for (qsizetype i = 0; i < m_runs.size(); ++i) {
        const int value = chars ? m_runs[i].chars : m_runs[i].calls;
        points.append(QPointF(area.left() + step * qreal(i), area.bottom() - area.height() * value / top));
    }
    return points;
}

void ProgressChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = plotArea();
    painter.setPen(palette().color(QPalette::WindowText));
    if (m_runs.size() < 2) {
        painter.drawText(rect(), Qt::AlignCenter, tr("Your progress shows here after two runs of this case"));
        return;
    }
    ChartDrawing::DrawAxes(painter, area);
    painter.drawText(QRectF(0, area.bottom() + 4, width(), kMargin - 4), Qt::AlignHCenter,
                     tr("Runs, oldest first: calls (blue), characters (orange)"));
    ChartDrawing::DrawSeries(painter, seriesPoints(false), ChartDrawing::SeriesColour(0));
    ChartDrawing::DrawSeries(painter, seriesPoints(true), ChartDrawing::SeriesColour(1));
}
