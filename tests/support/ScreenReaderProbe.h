#pragma once
// What a screen reader would hear: the accessibility events the station sends
// while the probe lives. Qt sends none while no reader is connected, and the
// offscreen platform never connects one; the probe switches the platform's
// accessibility on for the test.

#include <QAccessible>
#include <QList>
#include <utility>

class ScreenReaderProbe
{
public:
    ScreenReaderProbe();
    ~ScreenReaderProbe();
    ScreenReaderProbe(const ScreenReaderProbe &) = delete;
    ScreenReaderProbe &operator=(const ScreenReaderProbe &) = delete;

    // True when an event of `type` was sent for `object` since the last clear.
    bool heard(const QObject *object, QAccessible::Event type) const;
    void clear();

private:
    static void record(QAccessibleEvent *event);
};
