#include "PracticeScoreViews.h"

#include "PracticeHistory.h"
#include "TfmPracticeScores.h"
#include "ui/Dialogs.h"

#include <optional>

namespace {

void Tell(Dialogs &dialogs, QWidget *mainWindow, const QString &text)
{
    dialogs.Message(mainWindow, text, QStringLiteral("Practice Scores"), Dialogs::Icon::Information,
                    Dialogs::Ok);
}

void ShowScores(TfmPracticeScores &window, Dialogs &dialogs, QWidget *mainWindow,
                const PracticeScoresSession &session, const std::optional<QString> &caseName,
                const QString &player)
{
    std::optional<TPracticeScoreList> scores = PracticeHistory::Read(session.historyFile, caseName);
    if (!scores) {
        Tell(dialogs, mainWindow, QStringLiteral("Could not find the practice history file"));
        return;
    }
    if (scores->empty()) {
        Tell(dialogs, mainWindow,
             caseName ? QStringLiteral("No practice scores available for this case")
                      : QStringLiteral("No practice scores available"));
        return;
    }
    // The chart follows a player's runs of the case in the order played.
    window.ShowProgress(caseName ? PlayerRuns(*scores) : PlayerRuns(), player);
    PracticeHistory::Sort(*scores);
    const QString folderLine = QStringLiteral("All logs are saved in: ") + session.logsFolder;
    if (caseName) {
        window.Fill(QStringLiteral("Practice Scores for ") + *caseName,
                    {QStringLiteral("Here are all scores for the current test case. Characters denotes the "
                                    "number of characters in the correct calls."),
                     folderLine},
                    std::move(*scores));
    } else {
        window.Fill(QStringLiteral("Practice Scores All Test Cases"),
                    {QStringLiteral("Here are previous scores for all test cases. Characters denotes the "
                                    "number of characters in the correct calls"),
                     folderLine},
                    std::move(*scores));
    }
    window.setLogsFolder(session.logsFolder);
    window.setHistoryFile(session.historyFile);
    window.setSources(session.sources);
    Dialogs::CentreOver(&window, mainWindow);
    dialogs.ShowModal(&window);
}

} // namespace

void ShowCaseScores(TfmPracticeScores &window, Dialogs &dialogs, QWidget *mainWindow,
                    const PracticeScoresSession &session, const QString &caseName, const QString &player)
{
    ShowScores(window, dialogs, mainWindow, session, caseName, player);
}

void ShowAllPracticeScores(TfmPracticeScores &window, Dialogs &dialogs, QWidget *mainWindow,
                           const PracticeScoresSession &session)
{
    ShowScores(window, dialogs, mainWindow, session, std::nullopt, {});
}
