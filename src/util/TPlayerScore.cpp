#include "TPlayerScore.h"

#include "TextUtil.h"

namespace {

bool IsSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

} // namespace

TPlayerScore::TPlayerScore(const QString &fileName, const QString &folder)
    : name(NameOf(fileName)),
      logFile(CopyBounded(folder.isEmpty() || IsSeparator(folder.back()) ? folder + fileName
                                                                         : folder + u'/' + fileName,
                          kPathMax))
{
}

QString TPlayerScore::NameOf(const QString &fileName)
{
    // The last path component, trailing separators ignored.
    qsizetype end = fileName.size();
    while (end > 0 && IsSeparator(fileName[end - 1]))
        --end;
    qsizetype start = end;
    while (start > 0 && !IsSeparator(fileName[start - 1]))
        --start;
    const QStringView component = QStringView(fileName).sliced(start, end - start);

    // Reading the reversed name forwards is walking the component backwards:
    // the second non-empty piece between dots from its end.
    qsizetype pieceEnd = component.size();
    int found = 0;
    for (qsizetype i = component.size(); i >= 0; --i) {
        if (i > 0 && component[i - 1] != u'.')
            continue;
        if (pieceEnd > i && ++found == 2)
            return CopyBounded(component.sliced(i, pieceEnd - i), kNameMax);
        pieceEnd = i - 1;
    }
    return CopyBounded(component, kNameMax);
}

void TPlayerScore::Score(const QString &checkListPath)
{
    Score(CheckList::Load(checkListPath));
}

void TPlayerScore::Score(const CheckList &checkList)
{
    const TScore score = ScoreLog(checkList, logFile);
    calls = score.calls;
    chars = score.chars;
}

QString TPlayerScore::ResultLine(qsizetype limit) const
{
    return CopyBounded(name + u',' + QString::number(calls) + u',' + QString::number(chars), limit);
}

int ComparePlayerScores(const TPlayerScore &a, const TPlayerScore &b)
{
    if (a.calls != b.calls)
        return a.calls > b.calls ? -1 : 1;
    if (a.chars != b.chars)
        return a.chars > b.chars ? -1 : 1;
    return 0;
}
