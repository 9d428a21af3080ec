// The script functions of sound effects and music. Scripts speak volumes of 0.0 to 1.0, the
// media center keeps the settings' 0 to 100.
#include <string>

#include "audio/media_center.h"
#include "audio/sndfx_system.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace {

using MediaSystem::MediaCenter;

constexpr float kVolumeScale = 100.0f;
constexpr const char* kPlaySoundPrefix = "play_sound:  ";  // two blanks, as the game prints it

void playSound(const std::string& name) {
    script::consolePrint((kPlaySoundPrefix + name).c_str());
    if (MediaCenter* media = MediaCenter::instance()) media->playSound(name, false, false, false);
}

void playSoundLoop(const std::string& name) {
    if (MediaCenter* media = MediaCenter::instance()) media->playSound(name, true, false, false);
}

// No name is held by an empty slot's empty name.
bool isSoundPlaying(const std::string& name) {
    MediaCenter* media = MediaCenter::instance();
    return !name.empty() && media && media->sndfxSystem() && media->sndfxSystem()->findSlot(name) != -1;
}

// Stops and releases every slot (a stop of all alone keeps the looping ones for a resume).
void stopSounds() {
    MediaCenter* media = MediaCenter::instance();
    if (media && media->sndfxSystem()) media->sndfxSystem()->stopSlot(-1);
}

void playMusic(const std::string& name) {
    if (MediaCenter* media = MediaCenter::instance()) media->playMusic(name, false);
}

void stopMusic() {
    if (MediaCenter* media = MediaCenter::instance()) media->stopMusic();
}

void setMusicEnabled(bool enabled) {
    MediaCenter* media = MediaCenter::instance();
    if (!media) return;
    if (enabled)
        media->resumeMusic();
    else
        media->disableMusic();
}

// The saved settings keep their volumes.
void setVolume(bool sound, float volume) {
    MediaCenter* media = MediaCenter::instance();
    if (!media) return;
    if (sound)
        media->setSoundVolume(volume * kVolumeScale);
    else
        media->setMusicVolume(volume * kVolumeScale);
}

float getVolume(bool sound) {
    MediaCenter* media = MediaCenter::instance();
    if (!media) return 0.0f;
    return (sound ? media->getSoundVolume() : media->getMusicVolume()) / kVolumeScale;
}

void setSndVolCoef(const std::string& name, float coefficient) {
    if (MediaCenter* media = MediaCenter::instance()) media->getSoundVolumes()[name] = coefficient;
}

using ScriptBinding::scriptCall;
const ScriptFunctionRegistration s_registrations[] = {
    {"play_sound", scriptCall<&playSound>},
    {"play_sound_loop", scriptCall<&playSoundLoop>},
    {"is_sound_playing", scriptCall<&isSoundPlaying>},
    {"stop_sounds", scriptCall<&stopSounds>},
    {"play_music", scriptCall<&playMusic>},
    {"stop_music", scriptCall<&stopMusic>},
    {"set_music_enabled", scriptCall<&setMusicEnabled>},
    {"set_volume", scriptCall<&setVolume>},
    {"get_volume", scriptCall<&getVolume>},
    {"set_snd_vol_coef", scriptCall<&setSndVolCoef>},
};

}  // namespace
