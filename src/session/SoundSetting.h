#pragma once
// The sound settings file (Vorlix_Sound.txt): the sound output the player
// chose, remembered between runs, in one line
//
//     SOUND_OUTPUT=alsa_output.usb-headset.analog-stereo
//
// The value is the output's id as the sound server names it. A missing file,
// or an empty value, leaves the choice to the system. Reading the file does
// not touch the sound server, so start-up stays quick.

#include <QString>

namespace SoundSetting {

// The saved output id; empty when there is none (or the file cannot be read).
QString Load(const QString &path);
// Replaces the file with the one line; false when it could not be written
// (the old file then stays as it was).
bool Save(const QString &path, const QString &id);

} // namespace SoundSetting
