#include "ProgressChart.h"

#include "ui/ChartDrawing.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

int ValueOf(const ProgressChart::Run &run, bool chars)
{
    return chars ? run.chars : run.calls;
}

} // namespace

ProgressChart::ProgressChart(QWidget *parent) : QWidget(parent)
{
    setMinimumSize(320, 150);
    setAccessibleName(QStringLiteral("Progress of the runs of this case"));
}

void ProgressChart::setRuns(const QString &player, const QList<Run> &runs)
{
    m_player = player;
    m_runs = runs;
    for (bool chars : {false, true}) {
        int top = 1;
        for (const Run &run : m_runs)
            top = std::max(top, ValueOf(run, chars));
        m_top[chars] = top;
    }
    m_pointsSize = QSize();
    setAccessibleDescription(m_runs.size() < 2 ? QString()
                                               : tr("%1 runs by %2, from %3 to %4; calls %5 to %6")
                                                     .arg(m_runs.size())
                                                     .arg(m_player, m_runs.first().date, m_runs.last().date)
                                                     .arg(m_runs.first().calls)
                                                     .arg(m_runs.last().calls));
    update();
}

int ProgressChart::scaleTop(bool chars) const
{
    return m_top[chars];
}

QRectF ProgressChart::plotArea() const
{
    const QFontMetrics metrics(font());
    const int side = metrics.horizontalAdvance(QStringLiteral("Characters")) / 2 + 8;
    const int line = metrics.height();
    return QRectF(rect()).adjusted(side, line + 8, -side, -(2 * line + 8));
}

QList<QPointF> ProgressChart::seriesPoints(bool chars) const
{
    if (m_pointsSize != size()) {
        m_pointsSize = size();
        for (bool series : {false, true})
            m_points[series] = computePoints(series);
    }
    return m_points[chars];
}

QList<QPointF> ProgressChart::computePoints(bool chars) const
{
    QList<QPointF> points;
    const qsizetype count = m_runs.size();
    if (count < 2)
        return points;
    const QRectF area = plotArea();
    const qreal scale = area.height() / m_top[chars];
    const auto yOf = [&](int value) { return area.bottom() - scale * value; };
    const qreal step = area.width() / qreal(count - 1);
    if (count <= area.width() + 1) {
        points.reserve(count);
        for (qsizetype i = 0; i < count; ++i)
            points.append(QPointF(area.left() + step * qreal(i), yOf(ValueOf(m_runs[i], chars))));
        return points;
    }
    // Denser than the pixels: each column gives the lowest and the highest
    // value of its runs, in that order.
    const int columns = std::max(2, int(area.width()));
    points.reserve(2 * columns);
    qsizetype first = 0;
    for (int column = 0; column < columns && first < count; ++column) {
        const qsizetype last = std::min(count, qsizetype(std::ceil(qreal(count) * (column + 1) / columns)));
        int low = ValueOf(m_runs[first], chars), high = low;
        for (qsizetype i = first + 1; i < last; ++i) {
            low = std::min(low, ValueOf(m_runs[i], chars));
            high = std::max(high, ValueOf(m_runs[i], chars));
        }
        const qreal x = area.left() + area.width() * column / (columns - 1);
        points.append(QPointF(x, yOf(low)));
        points.append(QPointF(x, yOf(high)));
        first = last;
    }
    return points;
}

void ProgressChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QColor text = palette().color(QPalette::WindowText);
    painter.setPen(text);
    if (m_player.isEmpty()) {
        painter.drawText(rect(), Qt::AlignCenter,
                         tr("Choose a row to see that player's progress in this case"));
        return;
    }
    if (m_runs.size() < 2) {
        painter.drawText(rect(), Qt::AlignCenter,
                         tr("The progress of %1 shows here after two runs of this case").arg(m_player));
        return;
    }
    const QRectF area = plotArea();
    const QFontMetrics metrics(font());
    const qreal line = metrics.height();
    ChartDrawing::DrawAxes(painter, area);
    painter.drawLine(area.bottomRight(), area.topRight());
    // The scales: calls on the left, characters on the right, each in its
    // series' colour, from 0 to the best run.
    for (bool chars : {false, true}) {
        painter.setPen(ChartDrawing::SeriesColour(chars ? 1 : 0));
        const qreal x = chars ? area.right() : area.left();
        painter.drawText(QRectF(x - area.left(), 0, 2 * area.left(), line), Qt::AlignCenter,
                         chars ? tr("Characters") : tr("Calls"));
        const auto value = [&](qreal y, int number) {
            const QRectF box(chars ? x + 3 : 0, y - line / 2, area.left() - 3, line);
            painter.drawText(box, (chars ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter,
                             QString::number(number));
        };
        value(area.top(), m_top[chars]);
        value(area.bottom(), 0);
    }
    // The time scale: the first and the last run with their dates.
    painter.setPen(text);
    const QRectF dates(area.left(), area.bottom() + 2, area.width(), line);
    painter.drawText(dates, Qt::AlignLeft, m_runs.first().date);
    painter.drawText(dates, Qt::AlignRight, m_runs.last().date);
    painter.drawText(QRectF(0, dates.bottom() + 2, width(), line), Qt::AlignHCenter,
                     tr("%1 runs of %2, oldest first").arg(m_runs.size()).arg(m_player));
    // A dense series is drawn as a band, the range of each pixel column.
    const bool dense = m_runs.size() > area.width() + 1;
    painter.setRenderHint(QPainter::Antialiasing, !dense);
    const bool dots = area.width() / m_runs.size() >= 6;
    for (bool chars : {false, true}) {
        const QColor colour = ChartDrawing::SeriesColour(chars ? 1 : 0);
        if (dense)
            ChartDrawing::DrawBand(painter, seriesPoints(chars), colour);
        else
            ChartDrawing::DrawSeries(painter, seriesPoints(chars), colour, dots);
    }
}
