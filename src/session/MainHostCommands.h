#pragma once
// What the main window does on each host command: the networked competition
// as the host drives it (wave file, welcome, start, pause, resume,
// demonstration, forced submission, score, reset, disconnection).

#include "hostlink/HostProtocol.h"

#include <QString>

class TestSession;
class TfmConnect;
class TfmMain;

class MainHostCommands
{
public:
    explicit MainHostCommands(TfmMain &main) : m_main(main) {}

    void Handle(const HostProtocol::DecodedHostCommand &message);

    // A wave file name from the host names a file in the program's folder
    // only: no separator, no "..", nothing absolute.
    static bool IsPlainFileName(const QString &name);

    // The link is gone: said at once, and Connect works again at once, also
    // while the host's test plays on.
    void LinkDropped();
    // A link is up again with the position (by Connect or by itself). The
    // registered player is registered again, and in the host's test the
    // calls typed while the link was down follow in typing order. True when
    // the session goes on as it was; false when box 1 is to be offered.
    bool Rejoin();
    // Sends those calls, if any, and forgets them; how many went out.
    // The registered player registers again first.
    static qsizetype SendTypedMeanwhile(TestSession &session, TfmConnect &link);
    // REGISTER_PLAYER for the player registered at `link`.
    static void SendRegistration(const TestSession &session, TfmConnect &link, bool computerChosen = true);
    // In the host's test with nobody registered the calls reach no host:
    // box 1 stays open for the player's call, and the panel asks for it.
    void AskToRegister();
    // The player registered during the host's test: the calls typed from now
    // on go to the host, those typed before stay in the local log only.
    void RegisteredDuringTest(const QString &call);
    // A box raised by a host command (an error, or a notice such as a missing
    // wave name). One at a time: while one is open, later ones go to the
    // message panel, so a run of failing commands leaves no pile of boxes to
    // clear during a test.
    void ShowHostBox(const QString &text, bool error);

private:
    // `played`: a late start, this far into the recording; `paused`: the
    // host's test is paused.
    void startTest(std::optional<qint64> played, bool paused);
    void pauseTest();
    void resumeTest();
    void resetTest();
    void performDisconnect();
    void scoreTest(const HostProtocol::ScoreResult &result);
    void playerAccepted();
    void playerRejected();
    void startDemo(int seconds);
    void stopDemo();
    void setWaveFile(const QString &name);
    void validateWaveFile(const QString &name);
    void playWelcome();
    // What becomes of the calls of a player registered during the host's test.
    QString callsFromNowOn() const;

    TfmMain &m_main;
    bool m_hostBoxOpen = false;
    // A link that came back registered the player again: the host's answer
    // only confirms it.
    bool m_reregistering = false;
    // A paused late start came: the PAUSE_TEST behind it only makes sure the
    // audio is paused.
    bool m_latePauseFollows = false;
};
