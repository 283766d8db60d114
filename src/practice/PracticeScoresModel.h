#pragma once
// The rows of the practice scores list: one per record, in the order given,
// with the eight columns "Item" to "Characters". The records live in the
// model only while the window shows them.

#include "TPracticeScore.h"

#include <QAbstractTableModel>
#include <utility>

class PracticeScoresModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column
    {
        Item,
        Date,
        Time,
        LogFile,
        LoggingMethod,
        TestCase,
        CorrectCalls,
        Characters,
        ColumnCount
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Replaces every row; rows are numbered from 1 in this order.
    void setScores(TPracticeScoreList scores);
    void clear() { setScores({}); }

    // The text a column shows for a row.
    QString text(int row, int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    TPracticeScoreList m_scores;
};
