#include "TWaveSourcePair.h"

#include "FileUtil.h"
#include "SortedTextList.h"
#include "TextFile.h"
#include "TextUtil.h"

#include <QFileInfo>

namespace {

// Windows ignores trailing blanks of file names; so do we.
QString fileNameField(const QString &field)
{
    qsizetype end = field.size();
    while (end > 0 && field.at(end - 1) == u' ')
        --end;
    return CopyBounded(QStringView(field).left(end), TWaveSourcePair::kPathMax);
}

QString cleanCall(const QString &line)
{
    QString cleaned = line.left(50);
    cleaned.replace(QChar(0x00D8), u'0');
    return cleaned;
}

} // namespace

TWaveSourcePair::TWaveSourcePair(const QString &line, const QString &folder)
{
    if (!line.startsWith(u"VORLIX_WAVESOURCE"))
        return;
    const QStringList pieces = SplitFields(line, u"=,");
    if (pieces.size() < 3)
        return;
    m_waveName = fileNameField(pieces.at(1));
    m_callsName = fileNameField(pieces.at(2));
    if (pieces.size() > 3)
        m_caseName = CopyBounded(pieces.at(3), kPathMax);
    if (pieces.size() > 4)
        m_winner = CopyBounded(pieces.at(4), kWinnerMax);
    if (pieces.size() > 5)
        m_winningScore = CopyBounded(pieces.at(5), kScoreMax);
    if (pieces.size() > 6)
        m_averageScore = CopyBounded(pieces.at(6), kScoreMax);
    m_wavePath = CopyBounded(ResolveCase(JoinPath(folder, m_waveName)), kPathMax);
    m_callsPath = CopyBounded(ResolveCase(JoinPath(folder, m_callsName)), kPathMax);
    // The paths are resolved already: a plain check, no second directory walk.
    m_available = QFileInfo(m_wavePath).isFile() && QFileInfo(m_callsPath).isFile();
}

bool TWaveSourcePair::waveNameMatches(QStringView name) const
{
    return SameText(m_waveName, name);
}

bool TWaveSourcePair::caseNameMatches(QStringView name) const
{
    return SameText(m_caseName, name);
}

bool TWaveSourcePair::PrepareCallsFile() const
{
    if (!m_available)
        return false;
    const auto lines = TextFile::tryReadLines(m_callsPath);
    if (!lines)
        return false;
    SortedTextList read;
    read.addAll(*lines);
    SortedTextList cleaned;
    for (const QString &call : read.items())
        cleaned.add(cleanCall(call));
    if (cleaned.items() == *lines)
        return true; // already prepared: leave the file and its time alone
    return TextFile::tryWriteLines(m_callsPath, cleaned.items());
}
