#include "PileupPlan.h"

#include <algorithm>
#include <cmath>

double PileupCaller::fadeGain(double seconds) const
{
    if (!fading || fadePeriodSeconds <= 0.0)
        return 1.0;
    const double depth = 0.5 - 0.5 * std::cos(2.0 * M_PI * seconds / fadePeriodSeconds + fadePhase);
    return std::pow(10.0, -fadeDepthDb * depth / 20.0);
}

QStringList PileupPlan::checkList() const
{
    QStringList calls;
    for (const PileupCaller &c : callers)
        calls << c.call;
    std::sort(calls.begin(), calls.end(), [](const QString &a, const QString &b) {
        const int byText = a.compare(b, Qt::CaseInsensitive);
        return byText != 0 ? byText < 0 : a < b;
    });
    return calls;
}

QByteArray PileupPlan::checkListBytes() const
{
    QByteArray bytes;
    for (const QString &call : checkList())
        bytes += call.toUtf8() + "\r\n";
    return bytes;
}

QByteArray PileupPlan::timelineBytes() const
{
    QByteArray bytes = "Call,PitchHz,WPM,StartS,EndS\r\n";
    for (const PileupTransmission &t : transmissions) {
        const PileupCaller &c = callerOf(t);
        bytes += QStringLiteral("%1,%2,%3,%4,%5\r\n")
                     .arg(c.call)
                     .arg(c.pitchHz, 0, 'f', 1)
                     .arg(c.wpm, 0, 'f', 1)
                     .arg(t.start, 0, 'f', 3)
                     .arg(t.end, 0, 'f', 3)
                     .toUtf8();
    }
    return bytes;
}
