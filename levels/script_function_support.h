#pragma once
// The lookups every game script function shares: the level manager's current level (deep: its
// open minilevel when there is one), a clip of it by path (searched in its minilevels and parents
// too) and an element of it by name. Null when the level or the object is missing; an empty name
// (also a missing argument) finds nothing, not the first unnamed clip or element.
#include <string>

class BaseLevel;
class BaseElement;
namespace flash {
class character;
class sprite_instance;
}

namespace script_functions {

BaseLevel* currentLevel(bool deep = false);
flash::character* findClip(const std::string& path, bool deep = false);
// The clip when it is a sprite (the frame and play functions act on sprites only).
flash::sprite_instance* findSprite(const std::string& path);
BaseElement* findElement(const std::string& name);
// A clip of the level by path, else the clip of the level's element of that name wherever it now
// stands (set_parent_to_main_panel moves an item's clip into the panel, out of the level's tree).
flash::character* findClipOrElementClip(const std::string& name);
// The clip's translation set (twips; a value that is not finite becomes 0), its scale and
// rotation kept.
void setTranslation(flash::character* ch, float xTwips, float yTwips);
// True while the level is still one the manager keeps (a script callback may delete it).
bool levelAlive(const BaseLevel* level);

}  // namespace script_functions
