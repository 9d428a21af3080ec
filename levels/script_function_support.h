#pragma once
// What the game's script functions share: the current level (or none), a clip of it by path
// (searched deep) and the screen's pixel scale of movie matrices.
#include <string>

#include "levels/base_level.h"
#include "levels/level_manager.h"

namespace levels::script_support {

// Movie matrices hold twentieths of a pixel.
inline constexpr float kTwipsPerPixel = 20.0f;
inline constexpr float kPixelsPerTwip = 0.05f;

// The current level; with deep, its active minilevel when it has one. Null without one.
inline BaseLevel* currentLevel(bool deep = false) {
    LevelManager* manager = LevelManager::instance();
    return manager ? manager->currentLevel(deep) : nullptr;
}

// A clip of the level by path, searched deep; null without a level or clip.
inline flash::character* findClip(BaseLevel* level, const std::string& path) {
    return level ? level->findCharacter(path, true) : nullptr;
}

// True while the level is still one the manager keeps (a script callback may delete it).
inline bool levelAlive(const BaseLevel* level) {
    LevelManager* manager = LevelManager::instance();
    if (!manager || !level) return false;
    for (const BaseLevel* kept : manager->levels())
        if (kept == level) return true;
    return false;
}

}  // namespace levels::script_support
