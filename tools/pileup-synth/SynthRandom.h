#pragma once
// The synthesizer's random source. The engine's output sequence is fixed by
// the C++ standard and the conversions below are our own, so a seed gives
// the same pileup with every compiler and library.

#include <QtGlobal>

#include <cmath>
#include <random>

class SynthRandom
{
public:
    explicit SynthRandom(quint64 seed) : m_engine(seed) {}

    // Uniform in [0, 1).
    double uniform() { return double(m_engine() >> 11) * 0x1.0p-53; }
    double uniform(double low, double high) { return low + (high - low) * uniform(); }
    // Uniform integer in [low, high].
    int range(int low, int high) { return low + int(std::floor(uniform() * double(high - low + 1))); }
    bool chance(double probability) { return uniform() < probability; }

    // Standard normal (Box-Muller, both values used).
    double normal()
    {
        if (m_hasSpare) {
            m_hasSpare = false;
            return m_spare;
        }
        double u = 0.0;
        while (u <= 0.0)
            u = uniform();
        const double v = uniform();
        const double r = std::sqrt(-2.0 * std::log(u));
        m_spare = r * std::sin(2.0 * M_PI * v);
        m_hasSpare = true;
        return r * std::cos(2.0 * M_PI * v);
    }

    // An independent stream for one part of the work, so that changing how
    // much one part draws does not shift every other part.
    SynthRandom fork(quint64 salt) { return SynthRandom(m_engine() ^ (salt * 0x9E3779B97F4A7C15ULL)); }

private:
    std::mt19937_64 m_engine;
    bool m_hasSpare = false;
    double m_spare = 0.0;
};
