#pragma once
// The station's windows in a temporary base folder for one test: the main
// window with its dialogs, on the silent wave player and a clock that moves
// only when told, with scripted message boxes and helpers that answer the
// dialogs and type into the two boxes.

#include "FakeHost.h"
#include "ScriptedDialogs.h"
#include "TempBase.h"
#include "hostlink/TfmConnect.h"
#include "logentry/TfmCollectScores.h"
#include "logentry/TfmLogQuery.h"
#include "logentry/TfmScoreLogs.h"
#include "logentry/TfmShowScores.h"
#include "practice/TfmSelectPractice.h"
#include "session/TfmMain.h"
#include "util/Clock.h"

#include <functional>
#include <memory>

namespace Ui {
class TfmMain;
}

class TestStation
{
public:
    explicit TestStation(const QStringList &config);

    // The start-up sequence, then the window shown and active.
    bool start();
    Ui::TfmMain &ui();

    // The next logging-method question is answered with this button.
    void answerLogging(bool computer);
    // The next practice case dialog selects this case (empty: cancels);
    // `offered` receives the cases it offered and, last, the selected index.
    void answerCase(const QString &name, QStringList *offered = nullptr);
    // Types an identifier into box 1 and presses `key`.
    void enterCallSign(const QString &text, Qt::Key key = Qt::Key_Return);
    // Types a call into box 2 and presses `key`.
    void typeCall(const QString &text, Qt::Key key = Qt::Key_Return);
    // Answers Yes to the question and switches to standalone mode.
    void standalone();
    // Answers the logging question, then types the identifier into box 1.
    void signIn(const QString &id, bool computer = true, Qt::Key key = Qt::Key_Return);
    // The texts of the message boxes shown while `action` ran.
    QStringList shownBy(const std::function<void()> &action);
    // Sets the clock `secs` after the audio started and runs the countdown tick.
    void tickAt(int secs);
    // The station's process dies - its link torn down, nothing closed or
    // said - and starts again on the same base folder; true once its main
    // window is up again.
    bool crashAndRestart();

    TempBase base;
    ScriptedDialogs dialogs;
    ManualClock clock;
    std::unique_ptr<TfmMain> main;
    std::unique_ptr<TfmConnect> fmConnect;

private:
    void makeWindows();
};

// A station whose connection settings point at a fake host on 127.0.0.1.
class HostedTestStation : public TestStation
{
public:
    explicit HostedTestStation(const QStringList &config = {"VORLIX_WAVESOURCE_DEMO=d.wav,d.txt,Demo"});

    // Presses Connect on the main window and takes the connection window
    // through both steps to "Position 2"; the host accepts or rejects it.
    bool connectToHost(bool accept = true);
    // True when the host has received exactly `bytes` since the last clear;
    // clears what it received.
    bool hostGot(const QByteArray &bytes);

    FakeHost host;
};
