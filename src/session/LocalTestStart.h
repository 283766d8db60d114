#pragma once
// The start of a standalone or practice test once box 1's identifier is
// accepted: the logging method, the practice case and its check list, the
// names of the log and timed-score files (refused where they cannot be
// written whole), the audio and the countdown.

namespace Ui {
class TfmMain;
}
class TestSession;
class TfmMain;

class LocalTestStart
{
public:
    explicit LocalTestStart(TfmMain &main) : m_main(main) {}

    void StartStandaloneTest();
    void StartPracticeTest();

private:
    Ui::TfmMain &ui();
    TestSession &session();
    // The practice case dialog, with its Retry; false when no case was chosen.
    bool choosePracticeCase();
    void startLocalTest(bool practice);

    TfmMain &m_main;
};
