#pragma once
// A chart of one player's runs of one practice case in the order played:
// the correct calls (left scale) and the correct characters (right scale)
// of each run, so a player sees at a glance whether he is improving.
// Painted by hand: no charts library is loaded for it. However many runs
// there are, a repaint draws at most two points per pixel column.

#include "PlayerRuns.h"

#include <QList>
#include <QWidget>

class ProgressChart : public QWidget
{
    Q_OBJECT

public:
    using Run = PlayerRuns::Run;

    explicit ProgressChart(QWidget *parent = nullptr);

    // The runs of `player`, oldest first. Fewer than two runs show a note.
    void setRuns(const QString &player, const QList<Run> &runs);
    const QString &player() const { return m_player; }
    const QList<Run> &runs() const { return m_runs; }

    // The points drawn for one series in widget coordinates: one per run
    // while the runs are a pixel apart or more, otherwise the lowest and the
    // highest value of each pixel column, drawn as a band.
    QList<QPointF> seriesPoints(bool chars) const;
    // The highest value of each scale, as its top label shows it.
    int scaleTop(bool chars) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF plotArea() const;
    QList<QPointF> computePoints(bool chars) const;

    QString m_player;
    QList<Run> m_runs;
    int m_top[2] = {1, 1};
    // The points of each series, worked out again when the size changes.
    mutable QList<QPointF> m_points[2];
    mutable QSize m_pointsSize;
};
