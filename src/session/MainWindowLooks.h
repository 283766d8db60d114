#pragma once
// How the main window looks, reads and answers the keyboard: its fonts and
// colours, the typing limit of the two boxes, the room the boxes keep for the
// longest texts the station shows in them, the names a screen reader gives
// its controls and the Alt keys of its buttons and boxes.

namespace Ui {
class TfmMain;
}

namespace MainWindowLooks {

// Characters a player can type into box 1 or box 2.
inline constexpr int kEntryMax = 20;

void Dress(Ui::TfmMain &ui);
// The buttons of practice mode: the scores, the replay and a new case.
void ShowPracticeButtons(Ui::TfmMain &ui, bool shown);

} // namespace MainWindowLooks
