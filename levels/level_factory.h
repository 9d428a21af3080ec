#pragma once
// The one entry through which a level makes its minilevels and minigames, and gives them back at
// its end: the level manager installs it (by the description's kind); until then nothing is made
// and a level given back is deleted.
#include <functional>
#include <string>

class BaseLevel;

namespace levels {

struct LevelFactory {
    // The level of that name with `parent` as its parent, initialised from its description; null
    // when it cannot be made (the maker logs why).
    std::function<BaseLevel*(const std::string& name, BaseLevel* parent)> create;
    // Ends the life of a level made by `create` (the level manager also forgets it).
    std::function<void(BaseLevel* level)> destroy;
};

// Replaces the entry (empty members: nothing is made, levels are deleted plainly).
void setLevelFactory(LevelFactory factory);
const LevelFactory& levelFactory();

BaseLevel* createLevel(const std::string& name, BaseLevel* parent);
void deleteLevel(BaseLevel* level);

}  // namespace levels
