#pragma once
// The organiser's window: the six positions with their players, links, wave
// checks and calls; the steps of a round as buttons, each with a key, only
// those that make sense at the engine's stage enabled; the countdown of the
// running test; the ranking after scoring; and a log of the engine's events
// and problems. The window only shows what the HostEngine reports and asks
// it to take the steps the organiser chooses; its 1 s timer drives the
// engine's tick().

#include "HostDisplay.h"
#include "HostEngine.h"

#include <QKeySequence>
#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

namespace Ui {
class TfmHost;
}
class Clock;
class QPushButton;

class TfmHost : public QMainWindow
{
    Q_OBJECT

public:
    struct WaveChoice
    {
        QString wavePath;
        QString checkListPath;
    };
    // Asks the organiser for the wave file and its check list, starting in
    // `folder`; nothing when he cancels. Real runs use file dialogs; tests
    // give the paths.
    using WaveChooser = std::function<std::optional<WaveChoice>(QWidget *parent, const QString &folder)>;

    TfmHost(HostEngine &engine, const Clock &clock, const QString &dataFolder, QWidget *parent = nullptr);
    ~TfmHost() override;

    Ui::TfmHost *ui() const { return m_ui.get(); }
    void setWaveChooser(WaveChooser chooser) { m_chooseWave = std::move(chooser); }
    static std::optional<WaveChoice> ChooseWithDialogs(QWidget *parent, const QString &folder);

    // Asks the organiser to confirm `question`; a message box in real runs.
    using Confirmer = std::function<bool(QWidget *parent, const QString &question)>;
    void setConfirmer(Confirmer confirm) { m_confirm = std::move(confirm); }
    static bool ConfirmWithBox(QWidget *parent, const QString &question);

    // The button of a step, and the key that presses it besides its
    // underlined letter.
    QPushButton *buttonOf(HostDisplay::Step step) const;
    static QKeySequence ShortcutOf(HostDisplay::Step step);

    // Once a second: the engine's tick and the countdown.
    QTimer tmTick;
    void tmTickTimer();

protected:
    // Closing while a demonstration or test is under way asks first.
    void closeEvent(QCloseEvent *event) override;

private:
    void showPosition(int index);
    void showStage(HostEngine::Stage stage);
    void showRanking();
    void showCountdown();
    void addEvent(const QString &text, bool isProblem);
    void bnChooseWaveClick();

    std::unique_ptr<Ui::TfmHost> m_ui;
    HostEngine &m_engine;
    const Clock &m_clock;
    QString m_dataFolder;
    WaveChooser m_chooseWave = &TfmHost::ChooseWithDialogs;
    Confirmer m_confirm = &TfmHost::ConfirmWithBox;
};
