#pragma once
// The PCM WAV files of the synthesizer: 16-bit mono, little-endian, with the
// canonical 44-byte header.

#include <QByteArray>
#include <QtGlobal>

#include <vector>

class SynthWave
{
public:
    static QByteArray encode(const std::vector<qint16> &samples, int sampleRate);
    // Reads a 16-bit mono PCM file made by encode (or any with the same
    // format); false when the bytes are not one.
    static bool decode(const QByteArray &bytes, int *sampleRate, std::vector<qint16> *samples);
};
