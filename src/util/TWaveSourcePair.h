#pragma once
// One recorded pileup with its check list, as named by a source line of the
// player configuration: wave file, calls file, the test case's name and the
// result of the original competition's winner.
//
// Source line: "VORLIX_WAVESOURCE..." then fields separated by "=" or ","
// (a run of separators counts as one): wave file, calls file, case name,
// winner, winning score, average score.

#include <QString>
#include <QStringList>
#include <vector>

class TWaveSourcePair
{
public:
    static constexpr qsizetype kPathMax = 260;
    static constexpr qsizetype kWinnerMax = 50;
    static constexpr qsizetype kScoreMax = 4;

    // Builds the record from a source line; file names are relative to `folder`.
    TWaveSourcePair(const QString &line, const QString &folder);

    bool available() const { return m_available; }
    bool waveNameMatches(QStringView name) const;
    bool caseNameMatches(QStringView name) const;

    const QString &waveName() const { return m_waveName; }
    const QString &callsName() const { return m_callsName; }
    const QString &wavePath() const { return m_wavePath; }
    const QString &callsPath() const { return m_callsPath; }
    const QString &testCaseName() const { return m_caseName; }
    const QString &winner() const { return m_winner; }
    const QString &winningScore() const { return m_winningScore; }
    const QString &averageScore() const { return m_averageScore; }

    // Rewrites the calls file of an available source sorted, without repeats
    // (letter case ignored, first form kept), with every "Ø" made a "0" and
    // no line longer than 50 characters. Preparing again changes nothing.
    //
    // Only a calls file is ever rewritten: a file inside the source's folder,
    // none of `untouchable` (the station's own files, and folders with all
    // they hold), not a log (".log"), and whose every line is at most one
    // word without ',', '=', ';' or control characters. Anything else is left
    // exactly as it is.
    //
    // True when the file is prepared; false when the source is not available
    // or the file was left alone or could not be read or written, with the
    // reason in `problem` for the last three.
    bool PrepareCallsFile(QString *problem = nullptr, const QStringList &untouchable = {}) const;

private:
    QString m_folder;
    QString m_waveName;
    QString m_callsName;
    QString m_wavePath;
    QString m_callsPath;
    QString m_caseName;
    QString m_winner = QStringLiteral("N/A");
    QString m_winningScore = QStringLiteral("N/A");
    QString m_averageScore = QStringLiteral("N/A");
    bool m_available = false;
};

// The case of `sources` that a practice record names `name`: the one of that
// name, letter case ignored, or, for a name that the record cut to `kept`
// characters, the one case whose name begins with it. Null when none fits,
// or when a cut name fits more than one case.
const TWaveSourcePair *FindCase(const std::vector<const TWaveSourcePair *> &sources, QStringView name,
                                qsizetype kept);
