#pragma once
// One line of the practice history read back: when the log was scored, the
// log file's name, how it was logged, the practice case and the score. Text
// fields are bounded; a longer field is cut at its width.

#include <QString>
#include <QStringView>
#include <vector>

class SharedTexts;

struct TPracticeScore
{
    static constexpr qsizetype kDateMax = 11;
    static constexpr qsizetype kTimeMax = 6;
    static constexpr qsizetype kLogFileMax = 260;
    static constexpr qsizetype kMethodMax = 8;
    static constexpr qsizetype kCaseMax = 30;

    QString date;          // "dd-MMM-yyyy"
    QString time;          // " hh:mm", with the blank the date-time text leaves
    QString logFile;       // the log's name without its folder
    QString loggingMethod; // "Computer" or "Paper"
    QString testCase;
    int calls = 0;
    int chars = 0;

    // Texts shared among the records of one reading (see SharedTexts).
    struct Pools
    {
        SharedTexts *dates = nullptr;
        SharedTexts *methods = nullptr;
        SharedTexts *cases = nullptr;
    };

    // The record of the first seven fields of a history line.
    static TPracticeScore FromFields(const QStringView (&fields)[7], const Pools &pools);
    static TPracticeScore FromFields(const QStringView (&fields)[7]);
};

using TPracticeScoreList = std::vector<TPracticeScore>;
