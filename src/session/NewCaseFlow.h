#pragma once
// The main window's side of "New Practice Case...": opens the window with an
// offer, and takes a case made there into the station at once: its source
// joins the practice cases, it is the case offered first at the next start,
// and the message panel says so.

#include "practice/CaseOffer.h"

#include <memory>

class TfmMain;
class TfmNewCase;
struct PracticeCaseResult;

class NewCaseFlow
{
public:
    explicit NewCaseFlow(TfmMain &main);
    ~NewCaseFlow();

    void open(const CaseOffer &offer = {});
    TfmNewCase &window();

private:
    void caseMade(const PracticeCaseResult &result, const QString &name);

    TfmMain &m_main;
    std::unique_ptr<TfmNewCase> m_window;
};
