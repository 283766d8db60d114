#include "PracticeScoresModel.h"

namespace {

const char *const kCaptions[] = {"Item",           "Date",      "Time",          "Log File",
                                 "Logging Method", "Test Case", "Correct Calls", "Characters"};

Qt::Alignment AlignmentOf(int column)
{
    const bool count =
        column == PracticeScoresModel::CorrectCalls || column == PracticeScoresModel::Characters;
    return (count ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter;
}

} // namespace

void PracticeScoresModel::setScores(TPracticeScoreList scores)
{
    beginResetModel();
    m_scores = std::move(scores);
    endResetModel();
}

QString PracticeScoresModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const TPracticeScore &s = m_scores[size_t(row)];
    switch (column) {
    case Item:
        return QString::number(row + 1);
    case Date:
        return s.date;
    case Time:
        return s.time;
    case LogFile:
        return s.logFile;
    case LoggingMethod:
        return s.loggingMethod;
    case TestCase:
        return s.testCase;
    case CorrectCalls:
        return QString::number(s.calls);
    case Characters:
        return QString::number(s.chars);
    default:
        return {};
    }
}

int PracticeScoresModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_scores.size());
}

int PracticeScoresModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant PracticeScoresModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole)
        return int(AlignmentOf(index.column()));
    return {};
}

QVariant PracticeScoresModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return QString::fromLatin1(kCaptions[section]);
    if (role == Qt::TextAlignmentRole)
        return int(AlignmentOf(section));
    return {};
}

Qt::ItemFlags PracticeScoresModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
