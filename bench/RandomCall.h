#pragma once
// A call-sign-like text for the benchmarks' generated logs and calls files:
// one or two letters, a digit, one to three letters.

#include <QRandomGenerator>
#include <QString>

inline QString RandomCall(QRandomGenerator &random)
{
    static const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    QString call;
    const int prefix = 1 + random.bounded(2);
    for (int i = 0; i < prefix; ++i)
        call += letters[random.bounded(26)];
    call += QChar(u'0' + random.bounded(10));
    const int suffix = 1 + random.bounded(3);
    for (int i = 0; i < suffix; ++i)
        call += letters[random.bounded(26)];
    return call;
}
