#include "levels/script_function_support.h"

#include "app/game_layers.h"
#include "flash/movie/sprite_instance.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/level_manager.h"
#include "script/script_call.h"

namespace script_functions {

BaseLevel* currentLevel(bool deep) { return dynamic_cast<BaseLevel*>(app::currentLevel(deep)); }

flash::character* findClip(const std::string& path, bool deep) {
    BaseLevel* level = path.empty() ? nullptr : currentLevel(deep);
    return level ? level->findCharacter(path, true) : nullptr;
}

flash::sprite_instance* findSprite(const std::string& path) {
    return flash::cast_to<flash::sprite_instance>(findClip(path));
}

BaseElement* findElement(const std::string& name) {
    BaseLevel* level = name.empty() ? nullptr : currentLevel();
    return level ? level->getElementByName(name) : nullptr;
}

flash::character* findClipOrElementClip(const std::string& name) {
    if (flash::character* ch = findClip(name)) return ch;
    BaseElement* element = findElement(name);
    return element ? element->getCharacter() : nullptr;
}

void setTranslation(flash::character* ch, float xTwips, float yTwips) {
    flash::matrix matrix = ch->get_matrix();
    matrix.m_[0][2] = ScriptBinding::finiteOrZero(xTwips);
    matrix.m_[1][2] = ScriptBinding::finiteOrZero(yTwips);
    ch->set_matrix(matrix);
}

bool levelAlive(const BaseLevel* level) {
    LevelManager* manager = LevelManager::instance();
    if (!manager || !level) return false;
    for (const BaseLevel* kept : manager->levels())
        if (kept == level) return true;
    return false;
}

}  // namespace script_functions
