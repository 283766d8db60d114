#pragma once
// Every setting of one synthesized pileup, with the defaults of a realistic
// five-minute contest pileup, and their permitted ranges.

#include <QString>
#include <QtGlobal>

struct SynthOptions
{
    quint64 seed = 1;
    int sampleRate = 11025;       // Hz, 8000 to 22050
    double lengthSeconds = 300.0; // length of the recording
    int callers = 150;            // distinct calls in the recording
    double wpmMin = 22.0;         // each caller's speed is drawn from this range
    double wpmMax = 40.0;
    double pitchCenterHz = 650.0; // callers' pitches lie within center +/- spread / 2
    double pitchSpreadHz = 400.0;
    double levelSpreadDb = 12.0;     // callers' levels lie within 0 to -spread dB
    double jitter = 0.06;            // timing irregularity, fraction of an element
    double repeatProbability = 0.4;  // chance of sending the call once more in a transmission
    int maxRepeats = 3;              // most times a call is sent in one transmission
    double returnProbability = 0.25; // chance that a caller calls again later
    double densityDepth = 0.6;       // 0: callers spread evenly; 1: strong swells
    double densityWaves = 2.5;       // swells of the caller density over the recording
    double fadingFraction = 0.3;     // share of callers with slow fading
    double fadingDepthDb = 12.0;     // deepest fade
    bool noise = true;
    double snrDb = 15.0;            // strongest caller's tone to band noise (300-1500 Hz)
    double crashesPerMinute = 1.5;  // static crashes
    double portableFraction = 0.06; // share of calls with "/P" or a foreign prefix
    double riseMs = 5.0;            // raised-cosine edge of every element
    double staggerMs = 150.0;       // least time between the starts of two transmissions
    double peakDbfs = -3.0;         // the loudest sample of the mix

    // An empty text when every setting is in range, else a message naming
    // the first one that is not.
    QString validate() const;
};
