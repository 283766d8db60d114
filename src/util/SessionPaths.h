#pragma once
// The station's folder tree and fixed files, all below one base folder (the
// executable's folder unless overridden). Built once at start-up; every other
// part of the station reads its paths from here and never builds its own.

#include <QString>
#include <QStringList>

class SessionPaths
{
public:
    SessionPaths() = default;
    explicit SessionPaths(const QString &baseFolder);

    // The executable's folder: its path with the last component removed.
    static QString BaseFolderOf(const QString &executablePath);

    const QString &baseFolder() const { return m_base; }

    // Folders.
    QString networkedLogs() const { return sub(u"NetworkedLogs"); }
    QString demoLogs() const { return sub(u"DemoLogs"); }
    QString standAloneLogs() const { return sub(u"StandAloneLogs"); }
    QString standAloneTimedScores() const { return sub(u"StandAloneLogs/TimedScores"); }
    QString practiceLogs() const { return sub(u"PracticeLogs"); }
    QString practiceTimedScores() const { return sub(u"PracticeLogs/PracticeTimedScores"); }
    QString practiceWavesAndCalls() const { return sub(u"PracticeWavesAndCalls"); }
    QString tesselTimedScores() const { return sub(u"PracticeWavesAndCalls/Tessel-TimedScores"); }

    // Files.
    QString playerConfig() const { return sub(u"Vorlix_Player_ini.txt"); }
    QString demoCalls() const { return sub(u"DemoCalls.txt"); }
    QString practiceHistory() const { return sub(u"PracticeHistory.csv"); }
    QString restartSettings() const { return sub(u"Vorlix_PRestart.txt"); }
    // The sound output the player chose.
    QString soundSettings() const { return sub(u"Vorlix_Sound.txt"); }
    QString standAloneResults() const { return sub(u"zzSAResults.txt"); }
    // An instruction text such as "PracticeComputerLogInstruct.txt".
    QString instructionFile(QStringView name) const { return sub(name); }

    // Creates the missing folders one level at a time, parents first, in the
    // fixed order; a folder that cannot be created is passed over.
    void CreateFolderTree() const;
    // Creates the practice history file with its header line when it is
    // missing; an existing file is left alone. False when it could not be
    // created.
    bool EnsurePracticeHistory() const;

    // The files the station owns (configuration, history, settings, results,
    // instruction texts, demonstration calls) and the folders that hold logs:
    // nothing else may rewrite them.
    QStringList stationFiles() const;
    QStringList logFolders() const;
    // The folders a test writes into, base folder first, that the station
    // cannot write to.
    QStringList unwritableFolders() const;

    static constexpr const char *kHistoryHeader = "Date,Time,LogFile,Logging Method,Test Case,Calls,Chars";

private:
    QString sub(QStringView relative) const;

    QString m_base;
};
