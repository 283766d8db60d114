#include "NewCaseFlow.h"

#include "TfmMain.h"
#include "practice/TfmNewCase.h"
#include "practice/TfmSelectPractice.h"
#include "ui/Announce.h"
#include "ui_TfmMain.h"

NewCaseFlow::NewCaseFlow(TfmMain &main) : m_main(main) {}

NewCaseFlow::~NewCaseFlow() = default;

TfmNewCase &NewCaseFlow::window()
{
    if (!m_window) {
        m_window = std::make_unique<TfmNewCase>(m_main.clock(), &m_main);
        QObject::connect(
            m_window.get(), &TfmNewCase::caseMade, m_window.get(),
            [this](const PracticeCaseResult &result, const QString &name) { caseMade(result, name); });
    }
    return *m_window;
}

void NewCaseFlow::open(const CaseOffer &offer)
{
    TfmNewCase &dialog = window();
    dialog.setBaseFolder(m_main.paths().baseFolder());
    dialog.offer(offer);
    m_main.ShowCentred(&dialog);
}

void NewCaseFlow::caseMade(const PracticeCaseResult &result, const QString &name)
{
    // The practice case dialog lists the main window's sources by address:
    // it is emptied before the list grows, and filled again at the start.
    TfmSelectPractice &select = m_main.SelectPractice();
    select.Clear();
    m_main.addPracticeSource(result.configLine);
    select.setPreferredCase(name);
    Announce::Text(
        m_main.ui()->pnMessage,
        QStringLiteral("Practice case \"%1\" is made: %2 calls; its field's winner %3 copied %4. It is "
                       "offered first when you start a practice test.")
            .arg(name)
            .arg(result.calls)
            .arg(result.winner)
            .arg(result.winningCalls));
}
