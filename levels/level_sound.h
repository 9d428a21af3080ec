#pragma once
// The sounds a level plays (its ambient loop, the timed sounds, the win sound) go through this
// pair, which the media center serves; tests put a recorder in its place.
#include <functional>
#include <string>

namespace levels {

struct SoundPlayer {
    // The slot of the started sound, -1 when none started.
    std::function<int(const std::string& name, bool loop)> play;
    std::function<void(int slot)> stop;
};

// Replaces the player; empty members fall back to the media center.
void setSoundPlayer(SoundPlayer player);
int playSound(const std::string& name, bool loop);
void stopSound(int slot);

}  // namespace levels
