// The script functions of the hidden-object scene: where an object's panel row is, moving an
// object's clip into the heads-up panel and setting its depth there, the found count, and
// opening a minigame from a script.
#include <cmath>
#include <string>

#include "app/game_layers.h"
#include "flash/movie/display_list.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "levels/hidden_level.h"
#include "levels/script_function_support.h"
#include "screens/main_panel.h"
#include "screens/main_panel_notice.h"
#include "script/script_call.h"
#include "script/script_registry.h"
#include "script/value_types.h"

namespace {

constexpr const char* kTextPlace = "TextPlace";


using script_functions::currentLevel;

HiddenLevel* currentHiddenLevel() {
    BaseLevel* level = currentLevel();
    return level && level->getLevelKind() == BaseLevel::kKindHidden ? dynamic_cast<HiddenLevel*>(level) : nullptr;
}

// The root movie of a clip of the heads-up panel's movie (searched at its top only); null when
// the panel, the clip or its root is missing.
flash::sprite_instance* panelRootOf(const std::string& clipName) {
    MainPanel* panel = MainPanel::instance();
    flash::character* clip = panel ? panel->findClip(clipName.c_str(), false) : nullptr;
    if (!clip) return nullptr;
    flash::as_object* root = clip->get_root_movie();
    auto* movie = root ? flash::as_character(root) : nullptr;
    return movie && movie->cast_to_sprite() ? static_cast<flash::sprite_instance*>(movie) : nullptr;
}

Vec2 getTargetPosMainPanel(BaseElement* element) {
    MainPanel* panel = MainPanel::instance();
    if (!element || !panel) return Vec2{};
    const MainPanel::NotificationElement* entry = panel->findEntry(element->getName());
    if (!entry) return Vec2{};
    float tx = 0.0f, ty = 0.0f;
    if (flash::character* place = panel->findClip(kTextPlace)) {
        tx = place->get_matrix().m_[0][2];
        ty = place->get_matrix().m_[1][2];
    }
    return Vec2{flash::finite_or_zero(entry->x() * flash::twips_per_pixel + tx) * flash::pixels_per_twip,
                flash::finite_or_zero(entry->y() * flash::twips_per_pixel + ty) * flash::pixels_per_twip};
}

void setParentToMainPanel(BaseElement* element, const std::string& clipName) {
    flash::character* clip = element ? element->getCharacter() : nullptr;
    flash::sprite_instance* root = panelRootOf(clipName);
    if (!clip || !root || clip->get_parent() == root) return;
    // Kept alive over the move: the old list may hold the last reference.
    flash::smart_ptr<flash::character> held(clip);
    const flash::matrix world = clip->get_world_matrix();
    const flash::cxform colour = clip->get_cxform();
    const float ratio = clip->get_ratio();
    const uint16_t clipDepth = clip->get_clip_depth();
    // One list at a time: a clip left in its old list as well would be advanced and drawn twice.
    if (flash::character* parent = clip->get_parent())
        if (flash::display_list* list = parent->get_display_list()) list->remove_character(clip);
    clip->set_parent(root);
    root->get_display_list()->add_display_object(clip, root->get_next_highest_depth(), false, colour, world, ratio,
                                                 clipDepth);
    element->setOwnsCharacter(true);
}

void setClipDepth(const std::string& elementName, int depth, const std::string& clipName) {
    BaseLevel* level = currentLevel();
    BaseElement* element = level ? level->getElementByName(elementName) : nullptr;
    flash::character* clip = element ? element->getCharacter() : nullptr;
    flash::sprite_instance* root = panelRootOf(clipName);
    if (!clip || !root) return;
    root->get_display_list()->set_character_depth(clip, depth);
}

int getHoFoundedCount() {
    HiddenLevel* level = currentHiddenLevel();
    return level ? level->foundCount() : 0;
}

void startMinigame(const std::string& name, const std::string& script) {
    HiddenLevel* level = currentHiddenLevel();
    if (!level || level->isComplete()) return;
    for (int slot = 0; slot < BaseLevel::kMaxMinilevels; ++slot) {
        BaseLevel* minilevel = level->getMinilevel(slot);
        if (!minilevel || minilevel->getName() != name) continue;
        minilevel->setEndScript(script);
        level->initMinigameScript(name);
        return;
    }
}

const ScriptFunctionRegistration s_targetPos("get_target_pos_main_panel",
                                             ScriptBinding::scriptCall<&getTargetPosMainPanel>);
const ScriptFunctionRegistration s_parent("set_parent_to_main_panel", ScriptBinding::scriptCall<&setParentToMainPanel>);
const ScriptFunctionRegistration s_depth("set_clip_depth", ScriptBinding::scriptCall<&setClipDepth>);
const ScriptFunctionRegistration s_found("get_ho_founded_count", ScriptBinding::scriptCall<&getHoFoundedCount>);
const ScriptFunctionRegistration s_minigame("start_minigame", ScriptBinding::scriptCall<&startMinigame>);

}  // namespace
