#include "ScreenReaderProbe.h"

// Qt's platform layer, as far as the probe uses it. Qt installs no header
// for it outside its private development package; these functions are
// exported from QtGui.
class QPlatformAccessibility
{
public:
    void setActive(bool active);
};
class QPlatformIntegration
{
public:
    QPlatformAccessibility *accessibility() const;
};
class QGuiApplicationPrivate
{
public:
    static QPlatformIntegration *platform_integration;
};

namespace {

QList<std::pair<const QObject *, QAccessible::Event>> g_heard;

void SetActive(bool active)
{
    if (QGuiApplicationPrivate::platform_integration)
        if (QPlatformAccessibility *platform = QGuiApplicationPrivate::platform_integration->accessibility())
            platform->setActive(active);
}

} // namespace

ScreenReaderProbe::ScreenReaderProbe()
{
    g_heard.clear();
    QAccessible::installUpdateHandler(&ScreenReaderProbe::record);
    SetActive(true);
}

ScreenReaderProbe::~ScreenReaderProbe()
{
    SetActive(false);
    QAccessible::installUpdateHandler(nullptr);
    g_heard.clear();
}

bool ScreenReaderProbe::heard(const QObject *object, QAccessible::Event type) const
{
    return g_heard.contains(std::pair(object, type));
}

void ScreenReaderProbe::clear()
{
    g_heard.clear();
}

void ScreenReaderProbe::record(QAccessibleEvent *event)
{
    g_heard.append({event->object(), event->type()});
}
