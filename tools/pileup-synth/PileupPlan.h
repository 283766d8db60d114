#pragma once
// The plan of one pileup: its callers and every transmission they make,
// with the keying of each. The plan is the timeline of the recording; the
// renderer turns it into audio and the competitor simulation copies it.

#include "MorseKeyer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

struct PileupCaller
{
    QString call;
    double pitchHz = 0.0;
    double wpm = 0.0;
    double levelDb = 0.0; // 0 for the strongest possible caller
    double jitter = 0.0;
    bool fading = false;
    double fadePeriodSeconds = 0.0;
    double fadeDepthDb = 0.0;
    double fadePhase = 0.0;

    // The gain of the slow fading at `seconds` into the recording (1 without
    // fading).
    double fadeGain(double seconds) const;
};

struct PileupTransmission
{
    int caller = 0;  // index into PileupPlan::callers
    int repeats = 1; // times the call is sent
    double start = 0.0;
    double end = 0.0;
    KeyedText keying; // elements relative to start
};

struct PileupPlan
{
    double lengthSeconds = 0.0;
    std::vector<PileupCaller> callers;
    std::vector<PileupTransmission> transmissions; // ordered by start

    const PileupCaller &callerOf(const PileupTransmission &t) const { return callers.at(size_t(t.caller)); }

    // The calls of the recording, sorted without regard to letter case.
    QStringList checkList() const;
    // The check list as file bytes, CR LF line ends.
    QByteArray checkListBytes() const;
    // "Call,PitchHz,WPM,StartS,EndS" then one line per transmission, CR LF.
    QByteArray timelineBytes() const;
};
