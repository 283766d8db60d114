#include "Winners.h"

#include "TPracticeScore.h"
#include "util/SortedTextList.h"
#include "util/TextUtil.h"

namespace {

constexpr qsizetype kRowTextMax = 305;

} // namespace

QString WinnerRowText(const TWaveSourcePair &source)
{
    const QStringList fields = {source.testCaseName(),
                                source.available() ? QStringLiteral("Yes") : QStringLiteral("No"),
                                source.winner(), source.winningScore(), source.averageScore()};
    return CopyBounded(fields.join(u','), kRowTextMax);
}

std::vector<QStringList> WinnerRows(const QStringList &rowTexts)
{
    std::vector<QStringList> rows;
    for (const QString &text : rowTexts) {
        const QStringList fields = SplitFields(text, u",");
        if (fields.size() >= 5)
            rows.push_back(fields.mid(0, 5));
    }
    return rows;
}

QStringList WinnerRowTextsFor(const QStringList &caseNames,
                              const std::vector<const TWaveSourcePair *> &sources)
{
    SortedTextList names;
    names.addAll(caseNames);
    QStringList texts;
    for (const QString &name : names.items())
        if (const TWaveSourcePair *source = FindCase(sources, name, TPracticeScore::kCaseMax))
            texts.append(WinnerRowText(*source));
    return texts;
}
