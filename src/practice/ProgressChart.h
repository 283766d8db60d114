#pragma once
// A small chart of a player's runs of one practice case in time order: the
// correct calls and the correct characters of each run, so a player sees at
// a glance whether he is improving. Painted by hand: no charts library is
// loaded for it.

#include <QList>
#include <QWidget>

class ProgressChart : public QWidget
{
    Q_OBJECT

public:
    struct Run
    {
        int calls = 0;
        int chars = 0;
    };

    explicit ProgressChart(QWidget *parent = nullptr);

    // The runs, oldest first. Fewer than two runs show a one-line note.
    void setRuns(const QList<Run> &runs);
    const QList<Run> &runs() const { return m_runs; }

    // The points of one series in widget coordinates (for the painter and tests).
    QList<QPointF> seriesPoints(bool chars) const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRectF plotArea() const;

    QList<Run> m_runs;
};
