// The entry point of the sound-device module. The station loads this module
// only when it first needs a wave player, so the sound server's library costs
// nothing at start-up and a machine without it still runs the station
// (silently).

#include "audiosink/PulseAudioBackend.h"

extern "C" Q_DECL_EXPORT AudioBackend *vorlix_create_sink_backend()
{
    return PulseAudioBackend::connect().release();
}
