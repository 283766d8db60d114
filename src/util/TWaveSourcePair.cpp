#include "TWaveSourcePair.h"

#include "FileUtil.h"
#include "SortedTextList.h"
#include "TextFile.h"
#include "TextUtil.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

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

TWaveSourcePair::TWaveSourcePair(const QString &line, const QString &folder) : m_folder(folder)
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

const TWaveSourcePair *FindCase(const std::vector<const TWaveSourcePair *> &sources, QStringView name,
                                qsizetype kept)
{
    const TWaveSourcePair *cut = nullptr;
    int cutFits = 0;
    for (const TWaveSourcePair *source : sources) {
        if (source->caseNameMatches(name))
            return source;
        const QString &whole = source->testCaseName();
        if (name.size() == kept && whole.size() > kept && whole.startsWith(name, Qt::CaseInsensitive)) {
            cut = source;
            ++cutFits;
        }
    }
    return cutFits == 1 ? cut : nullptr;
}

namespace {

// Whether `path` is `other` or lies inside it, both taken as they really are
// on the disk (links followed), letter case ignored.
bool SameOrInside(const QString &path, const QString &other)
{
    QString real = QFileInfo(other).canonicalFilePath();
    if (real.isEmpty()) // not there under that exact name: compare the names
        real = QDir::cleanPath(QFileInfo(other).absoluteFilePath());
    return SameText(path, real) || path.startsWith(real + u'/', Qt::CaseInsensitive);
}

// A list of calls has at most one word on a line; a configuration, a
// history, a results file or a text for people does not.
bool LooksLikeCalls(const QStringList &lines)
{
    for (const QString &line : lines) {
        for (const QChar c : line.trimmed()) {
            if (c.isSpace() || c.category() == QChar::Other_Control || c == u',' || c == u'=' || c == u';')
                return false;
        }
    }
    return true;
}

} // namespace

bool TWaveSourcePair::PrepareCallsFile(QString *problem, const QStringList &untouchable) const
{
    if (!m_available)
        return false;
    auto refuse = [&](const QString &why) {
        if (problem)
            *problem = why;
        return false;
    };
    const QString leftAlone = QStringLiteral("%1 is not a calls file of this station: it was left as it is");
    const QString real = QFileInfo(m_callsPath).canonicalFilePath();
    const QString folder = QFileInfo(m_folder).canonicalFilePath();
    const bool outside = real.isEmpty() || folder.isEmpty() || !real.startsWith(folder + u'/');
    if (outside || real.endsWith(u".log", Qt::CaseInsensitive) ||
        std::any_of(untouchable.begin(), untouchable.end(),
                    [&](const QString &other) { return SameOrInside(real, other); }))
        return refuse(leftAlone.arg(m_callsPath));
    const auto lines = TextFile::tryReadLines(m_callsPath);
    if (!lines)
        return refuse(QStringLiteral("Cannot open file %1").arg(m_callsPath));
    if (!LooksLikeCalls(*lines))
        return refuse(leftAlone.arg(m_callsPath));
    SortedTextList read;
    read.addAll(*lines);
    QStringList cleanedCalls;
    cleanedCalls.reserve(read.count());
    bool changed = false;
    for (const QString &call : read.items()) {
        cleanedCalls.append(cleanCall(call));
        changed = changed || cleanedCalls.constLast() != call;
    }
    // Cleaning moves a call only when it changed it (a "Ø", a long line).
    SortedTextList cleaned;
    if (changed)
        cleaned.addAll(cleanedCalls);
    const QStringList &result = changed ? cleaned.items() : read.items();
    if (result == *lines)
        return true; // already prepared: leave the file and its time alone
    if (!TextFile::tryWriteLines(m_callsPath, result))
        return refuse(QStringLiteral("Cannot create file %1").arg(m_callsPath));
    return true;
}
