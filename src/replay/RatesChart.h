#pragma once
// The rate review's chart: one line per player row of the rate table, the
// characters he logged in each of the 18 intervals, with a legend of the
// captions. The interval selected in the table is shaded, and a click on an
// interval asks for it as a click on its column heading does. Painted by
// hand, in the look of the station's other charts.

#include <QList>
#include <QString>
#include <QWidget>

class RatesChart : public QWidget
{
    Q_OBJECT

public:
    struct Series
    {
        QString caption;
        QList<int> chars; // one value per interval
    };

    explicit RatesChart(QWidget *parent = nullptr);

    void setSeries(const QList<Series> &series);
    const QList<Series> &series() const { return m_series; }
    // The interval shaded as selected, 0 to 17; -1 for none.
    void setSelectedInterval(int interval);
    int selectedInterval() const { return m_selected; }

    // Widget coordinates (for the painter and tests): the points of one
    // series, the band of one interval, and the interval whose band holds a
    // point (-1 when none does).
    QList<QPointF> seriesPoints(int index) const;
    QRectF intervalBand(int interval) const;
    int intervalAt(const QPointF &point) const;

signals:
    // An interval was clicked; `column` is its column in the rate table
    // (interval + 1).
    void intervalColumnClicked(int column);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QRectF plotArea() const;
    int topValue() const;

    QList<Series> m_series;
    int m_selected = -1;
};
