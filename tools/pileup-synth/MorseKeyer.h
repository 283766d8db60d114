#pragma once
// Morse keying: turns a text into the key-down intervals of a transmission
// with standard timing (dit, dah of three dits, one dit between elements,
// three between characters, seven between words; a dit lasts 1.2 / WPM
// seconds), optionally with a hand-keyed irregularity.

#include <QString>
#include <QStringView>

#include <vector>

class SynthRandom;

struct KeyElement
{
    double start = 0.0; // seconds from the start of the transmission
    double end = 0.0;
};

struct KeyedText
{
    std::vector<KeyElement> elements;
    double length = 0.0; // from the first key-down to the last key-up
};

class MorseKeyer
{
public:
    // Dots and dashes of one character (".-"), empty when it has no code.
    static QString codeOf(QChar c);
    // True when every character is a letter, digit, "/", "?" or a blank.
    static bool canSend(QStringView text);
    static double ditSeconds(double wpm) { return 1.2 / wpm; }

    // The key-down intervals of `text` at `wpm`. `jitter` is the standard
    // deviation of every element and gap as a fraction of its length (0 for
    // machine-perfect keying); `random` may be null when jitter is 0.
    static KeyedText key(QStringView text, double wpm, double jitter, SynthRandom *random);
};
