#include "MainWindowLooks.h"

#include "ui/KeyAccess.h"
#include "ui/Looks.h"
#include "ui/TextFit.h"
#include "ui/TypingLimit.h"
#include "ui_TfmMain.h"

namespace MainWindowLooks {

namespace {
// The smallest size of box 2's font, for its longest results.
constexpr int kResultPointSize = 10;
} // namespace

void Dress(Ui::TfmMain &ui)
{
    Looks::SetBold(ui.ebCallSign, 16);
    Looks::SetBold(ui.ebCallEntry, 16);
    Looks::SetBold(ui.moCallsLogged, 12);
    // The instructions are read with the focus in them, line by line.
    ui.moInstruct->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Box 2 shows the results while closed: its text reads on its field.
    Looks::SetFieldColour(ui.ebCallEntry, QColor());
    for (QWidget *label : {ui.Label1, ui.Label2, ui.Label4, ui.Label5, ui.pnMessage})
        Looks::SetBold(label);
    Looks::SetBackground(ui.lblStandAloneStatus, Looks::Yellow());
    Looks::SetBackground(ui.pnDemo, Looks::Yellow());
    new TypingLimit(ui.ebCallSign, kEntryMax);
    new TypingLimit(ui.ebCallEntry, kEntryMax);

    // Box 2 shows the results too; a result longer than a typed call (the
    // longest: a score with a rank after a call of 20 characters) is shown in
    // a smaller font, so the window stays the width of a laptop's screen.
    const QString call(kEntryMax, u'X');
    TextFit::ReserveWidth(ui.ebCallEntry, {call});
    TextFit::ReserveWidth(ui.ebCallEntry,
                          {call + QStringLiteral(" Paper log - score posted later"),
                           call + QStringLiteral(" Score=9999 Rank=99999999999"),
                           QStringLiteral("Use Enter Paper Log button to enter your log"),
                           QStringLiteral("Correct calls/chars=9999/99999")},
                          kResultPointSize);
    TextFit::ShrinkToFit(ui.ebCallEntry, kResultPointSize);
    TextFit::ReserveWidth(ui.ebCallSign, {call, QStringLiteral("Enter your call here")});
    TextFit::ReserveWidth(ui.ebNetStatus, {QStringLiteral("Connected-Position 6")});

    KeyAccess::Bind({{ui.bnConnect, Qt::Key_C},
                     {ui.bnCollectScores, Qt::Key_L},
                     {ui.bnEnterPaper, Qt::Key_E},
                     {ui.rbPractice, Qt::Key_P},
                     {ui.rbStandAlone, Qt::Key_S},
                     {ui.rbNetworked, Qt::Key_N},
                     {ui.rbLogComputer, Qt::Key_O},
                     {ui.rbLogPaper, Qt::Key_A},
                     {ui.bnShowPrevPractice, Qt::Key_H},
                     {ui.bnReplay, Qt::Key_R},
                     {ui.bnNewPracticeCase, Qt::Key_W}});
    // The boxes' labels begin "1." and "2.": Tab acts as Enter in the
    // window, so these keys are the way back to a box from anywhere.
    KeyAccess::BindFocus(ui.ebCallSign, Qt::Key_1);
    KeyAccess::BindFocus(ui.ebCallEntry, Qt::Key_2);
    KeyAccess::BindFocus(ui.moInstruct, Qt::Key_I);
}

void ShowPracticeButtons(Ui::TfmMain &ui, bool shown)
{
    for (QWidget *button : {ui.bnShowPrevPractice, ui.bnReplay, ui.bnNewPracticeCase})
        button->setVisible(shown);
}

} // namespace MainWindowLooks
