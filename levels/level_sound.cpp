#include "levels/level_sound.h"

#include "audio/media_center.h"

namespace levels {

namespace {

SoundPlayer& player() {
    static SoundPlayer installed;
    return installed;
}

}  // namespace

void setSoundPlayer(SoundPlayer replacement) { player() = std::move(replacement); }

int playSound(const std::string& name, bool loop) {
    if (player().play) return player().play(name, loop);
    MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance();
    // A loop keeps its own slot; a one-shot may share a free one and stops with the channel.
    return media ? media->playSound(name, loop, !loop, false) : -1;
}

void stopSound(int slot) {
    if (player().stop) return player().stop(slot);
    if (MediaSystem::MediaCenter* media = MediaSystem::MediaCenter::instance()) media->stopSound(slot);
}

}  // namespace levels
