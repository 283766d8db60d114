#include "LogScoring.h"

#include "TextFile.h"
#include "TextUtil.h"

#include <algorithm>
#include <limits>

namespace {

bool IsBlankOrControl(QChar c)
{
    const char16_t u = c.unicode();
    return u <= 0x20 || (u >= 0x7F && u <= 0x9F);
}

int AddHeld(int total, qsizetype amount)
{
    return int(std::min<qint64>(qint64(total) + amount, std::numeric_limits<int>::max()));
}

} // namespace

CheckList::CheckList(const QStringList &lines)
{
    m_folded.reserve(lines.size());
    for (const QString &line : lines) {
        m_folded.insert(line.toCaseFolded());
        m_longest = std::max(m_longest, line.size());
    }
}

CheckList CheckList::Load(const QString &path)
{
    return CheckList(TextFile::readLines(path));
}

bool CheckList::contains(QStringView trimmedLine) const
{
    if (trimmedLine.size() > m_longest)
        return false;
    return m_folded.contains(trimmedLine.toString().toCaseFolded());
}

QStringView TrimLogLine(QStringView line)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && IsBlankOrControl(line[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(line[end - 1]))
        --end;
    return line.sliced(begin, end - begin);
}

TScore ScoreLines(const CheckList &checkList, const QStringList &logLines)
{
    TScore score;
    for (const QString &line : logLines) {
        const QStringView call = TrimLogLine(line);
        if (checkList.contains(call)) {
            // Held at the limit rather than wrapping round on absurd logs.
            score.calls = AddHeld(score.calls, 1);
            score.chars = AddHeld(score.chars, call.size());
        }
    }
    return score;
}

TScore ScoreLog(const CheckList &checkList, const QString &logPath)
{
    return ScoreLines(checkList, TextFile::readLines(logPath));
}

TScore ScoreLog(const QString &checkListPath, const QString &logPath)
{
    return ScoreLog(CheckList::Load(checkListPath), logPath);
}

QString ScoreText(const TScore &score, qsizetype limit)
{
    const QString text = QStringLiteral("Correct calls/chars=") + QString::number(score.calls) + u'/' +
                         QString::number(score.chars);
    return CopyBounded(text, limit);
}

QString PracticeHistoryLine(const QDateTime &when, const QString &logFile, const QString &method,
                            const QString &caseName, const TScore &score)
{
    return when.toString(QStringLiteral("dd-MMM-yyyy, hh:mm")) + u',' + logFile + u',' + method + u',' +
           caseName + u',' + QString::number(score.calls) + u',' + QString::number(score.chars);
}
