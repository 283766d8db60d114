#pragma once
// What a new practice case is offered with when another view asks for one:
// the level chosen for the player, and, for practice aimed at his mistakes,
// the calls to draw the callers from and what they aim at, in words.

#include <QString>
#include <QStringList>

#include <functional>

struct CaseOffer
{
    QString level;         // a preset's name; empty: the window's last choice
    QStringList callList;  // empty: calls made up as usual
    QString aim;           // e.g. "R, 5 and B four times as often as usual"
    QString levelReason;   // how the level was chosen, shown with it
};

// Opens the new-case window with an offer.
using CaseMaker = std::function<void(const CaseOffer &)>;
