// The entry point of the sound-device module. The station loads this module
// only when it first needs a wave player, so Qt Multimedia and the sound
// server's libraries cost nothing at start-up and a machine without them
// still runs the station (silently).

#include "audiosink/SinkAudioBackend.h"

#include <QMediaDevices>

extern "C" Q_DECL_EXPORT AudioBackend *vorlix_create_sink_backend()
{
    const QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
    if (outputs.isEmpty())
        return nullptr;
    const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
    return new SinkAudioBackend(preferred.isNull() ? outputs.first() : preferred);
}
