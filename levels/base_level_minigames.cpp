// Minigames loaded into a level's minilevel slots, at once or read ahead on a loader thread.
#include "core/log_stream.h"
#include "levels/base_level.h"
#include "levels/level_factory.h"
#include "levels/minigame_loader.h"

void BaseLevel::loadMinigame(const std::string& names, bool threaded) {
    if (threaded) {
        // One loader at a time: a second call first makes every name of the one before.
        if (m_loader) {
            m_loader->wait();
            takeLoadedMinigames();
            m_loader.reset();
        }
        m_loader = std::make_unique<MiniGameLoader>(names, this);
        if (!m_loader->start()) m_loader.reset();
        return;
    }
    if (freeMinilevelSlot() < 0) return;
    Tov::LogLine("MESSAGE") << "Loading minigame: " << names;
    addMinilevel(levels::createLevel(names, this));
    Tov::LogLine("MESSAGE") << "Loading minigame: " << names;
}

bool BaseLevel::isLoadingMinigames() const { return m_loader != nullptr; }

void BaseLevel::takeLoadedMinigames() {
    if (!m_loader) return;
    for (const std::string& name : m_loader->takeReady()) loadMinigame(name, false);
    if (m_loader->isDone()) m_loader.reset();
}
