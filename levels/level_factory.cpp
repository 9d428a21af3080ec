#include "levels/level_factory.h"

#include "levels/base_level.h"

namespace levels {

namespace {

LevelFactory& factory() {
    static LevelFactory entry;
    return entry;
}

}  // namespace

void setLevelFactory(LevelFactory entry) { factory() = std::move(entry); }

const LevelFactory& levelFactory() { return factory(); }

BaseLevel* createLevel(const std::string& name, BaseLevel* parent) {
    return factory().create ? factory().create(name, parent) : nullptr;
}

void deleteLevel(BaseLevel* level) {
    if (!level) return;
    if (factory().destroy)
        factory().destroy(level);
    else
        delete level;
}

}  // namespace levels
