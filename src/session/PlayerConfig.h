#pragma once
// The player configuration "Vorlix_Player_ini.txt": which modes the station
// offers, the standalone test's files, the welcome recording, the
// administrator's password and the practice and demonstration sources.
// Read once at start-up, never written.
//
// Setting lines are KEY=value, the key compared without regard to case and
// without removing blanks, the first line of a key winning. Source lines
// begin, exactly so, with VORLIX_WAVESOURCE_PRACTICE or VORLIX_WAVESOURCE_DEMO.

#include "util/SortedTextList.h"
#include "util/TWaveSourcePair.h"

#include <QString>
#include <QStringList>
#include <vector>

class PlayerConfig
{
public:
    enum Result
    {
        Loaded = 0,
        FileMissing = 1,
        NoDemoSource = 2
    };

    static constexpr qsizetype kPasswordMax = 30;
    static constexpr const char *kDefaultPassword = "owner-rattle-owner";

    // Reads `configPath`. File names of settings are relative to `baseFolder`,
    // those of practice sources to `practiceFolder`. Practice and available
    // demonstration sources get their calls files prepared.
    int ReadPlayerConfig(const QString &configPath, const QString &baseFolder, const QString &practiceFolder);

    bool hidePracticeMode() const { return m_hidePractice; }
    bool startInPracticeMode() const { return m_startInPractice; }
    const QString &welcomePath() const { return m_welcomePath; }
    const QString &standAloneWavePath() const { return m_standAloneWave; }
    const QString &standAloneCallsPath() const { return m_standAloneCalls; }
    bool standAloneCallsPresent() const { return m_standAloneCallsPresent; }
    const SortedTextList &standAloneCheckList() const { return m_checkList; }
    const QString &adminPassword() const { return m_password; }
    const std::vector<TWaveSourcePair> &practiceSources() const { return m_practice; }
    // A practice case's source line added to the file since it was read (a
    // case made at the station), taken as a line of the file would be.
    void AddPracticeSource(const QString &line, const QString &baseFolder, const QString &practiceFolder);
    const std::vector<TWaveSourcePair> &demoSources() const { return m_demo; }
    int result() const { return m_result; }
    // What the last reading could not do to the files it names: calls files
    // left alone or not rewritten.
    const QStringList &problems() const { return m_problems; }

private:
    void PrepareSource(const TWaveSourcePair &source, const QString &baseFolder);

    bool m_hidePractice = false;
    bool m_startInPractice = false;
    QString m_welcomePath;
    QString m_standAloneWave;
    QString m_standAloneCalls;
    bool m_standAloneCallsPresent = false;
    SortedTextList m_checkList;
    QString m_password = QString::fromLatin1(kDefaultPassword);
    std::vector<TWaveSourcePair> m_practice;
    std::vector<TWaveSourcePair> m_demo;
    int m_result = FileMissing;
    QStringList m_problems;
};
