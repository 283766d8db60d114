#include "PlayerConfig.h"

#include "util/FileUtil.h"
#include "util/SessionPaths.h"
#include "util/TextFile.h"
#include "util/TextUtil.h"

#include <QFileInfo>

namespace {

// The value of the first line whose text before its first "=" equals the key
// (letter case ignored, nothing trimmed); empty when there is none.
QString valueOf(const QStringList &lines, QStringView key)
{
    for (const QString &line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && SameText(QStringView(line).left(eq), key))
            return line.mid(eq + 1);
    }
    return {};
}

bool isYes(const QString &value)
{
    return value.left(10).toUpper() == u"YES";
}

QString withoutTrailingBlanks(const QString &value)
{
    qsizetype end = value.size();
    while (end > 0 && value.at(end - 1) == u' ')
        --end;
    return value.left(end);
}

} // namespace

void PlayerConfig::PrepareSource(const TWaveSourcePair &source, const QString &baseFolder)
{
    // A source line may name any file; only calls files are ever rewritten.
    const SessionPaths paths(baseFolder);
    QString problem;
    if (!source.PrepareCallsFile(&problem, paths.stationFiles() + paths.logFolders()) && !problem.isEmpty() &&
        !m_problems.contains(problem))
        m_problems.append(problem);
}

void PlayerConfig::AddPracticeSource(const QString &line, const QString &baseFolder,
                                     const QString &practiceFolder)
{
    m_practice.emplace_back(line, practiceFolder);
    PrepareSource(m_practice.back(), baseFolder);
}

int PlayerConfig::ReadPlayerConfig(const QString &configPath, const QString &baseFolder,
                                   const QString &practiceFolder)
{
    m_practice.clear();
    m_demo.clear();
    m_problems.clear();
    const QString path = ResolveCase(configPath);
    if (!QFileInfo(path).isFile()) {
        m_result = FileMissing;
        return m_result;
    }
    const QStringList lines = TextFile::readLines(path);

    m_hidePractice = isYes(valueOf(lines, u"HIDE_PRACTICE_MODE"));
    m_startInPractice = isYes(valueOf(lines, u"START_IN_PRACTICE_MODE"));

    m_welcomePath.clear();
    if (const QString welcome = valueOf(lines, u"VORLIX_WELCOME"); !welcome.isEmpty())
        m_welcomePath = ResolveCase(JoinPath(baseFolder, welcome));

    m_standAloneWave =
        ResolveCase(JoinPath(baseFolder, withoutTrailingBlanks(valueOf(lines, u"STANDALONE_WAVEFILE"))));

    m_standAloneCalls.clear();
    if (const QString calls = valueOf(lines, u"STANDALONE_CALLSFILE"); !calls.isEmpty())
        m_standAloneCalls = ResolveCase(JoinPath(baseFolder, withoutTrailingBlanks(calls)));
    m_standAloneCallsPresent = !m_standAloneCalls.isEmpty() && QFileInfo(m_standAloneCalls).isFile();

    m_checkList.clear();
    if (m_standAloneCallsPresent) {
        if (const auto calls = TextFile::tryReadLines(m_standAloneCalls))
            m_checkList.addAll(*calls);
    }

    m_password = QString::fromLatin1(kDefaultPassword);
    if (const QString pw = valueOf(lines, u"ADMINPW"); !pw.isEmpty())
        m_password = CopyBounded(pw, kPasswordMax);

    for (const QString &line : lines) {
        if (line.startsWith(u"VORLIX_WAVESOURCE_PRACTICE"))
            AddPracticeSource(line, baseFolder, practiceFolder);
    }
    int demoLines = 0;
    for (const QString &line : lines) {
        if (line.startsWith(u"VORLIX_WAVESOURCE_DEMO")) {
            ++demoLines;
            TWaveSourcePair source(line, baseFolder);
            if (source.available()) {
                PrepareSource(source, baseFolder);
                m_demo.push_back(std::move(source));
            }
        }
    }
    m_result = demoLines > 0 ? Loaded : NoDemoSource;
    return m_result;
}
