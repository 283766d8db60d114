#pragma once
// The characters of calls as a grid, each cell coloured by how often the
// player misses it or takes it for another: pale for never, deep red for
// every time; a character never sent stays grey.

#include <QChar>
#include <QHash>
#include <QWidget>

class CharacterHeatMap : public QWidget
{
    Q_OBJECT

public:
    explicit CharacterHeatMap(QWidget *parent = nullptr);

    // The share of mistakes of each character sent (0 to 1).
    void setRates(const QHash<QChar, double> &rates);
    double rateOf(QChar c) const { return m_rates.value(c, -1.0); }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QHash<QChar, double> m_rates;
};
