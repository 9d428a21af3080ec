// The clip functions of the level scripts: thin script entries over the native functions of
// script_functions_clips.h.
#include "levels/script_functions_clips.h"

#include <string>

#include "core/cvar_catalogue.h"
#include "flash/movie/display_list.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/host_callbacks.h"
#include "flash/movie/sprite_instance.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "script/console_sink.h"
#include "script/script_call.h"
#include "script/script_registry.h"

namespace script_functions {

namespace {

// A clip's colour multiplier is the script's byte over this (so 255 gives 0.99609375).
constexpr float kColourDivisor = 256.0f;
constexpr int kWholeRange = -1;   // the last frame of a play range
constexpr int kNoRepeat = 0;      // a play range played once
constexpr int kEndless = -1;      // a play range repeated for ever
constexpr float kNoLoopDelay = -1.0f;
// play_movie_clip_loop leaves the range alone for these (the last frame is tested against 1,
// as the game's scripts expect).
constexpr int kKeepFirst = -1;
constexpr int kKeepLast = 1;
constexpr int kMaxEventId = 255;  // event ids are bytes
const flash::rgba kWhite{255, 255, 255, 255};

// The display list of the clip's parent when that parent is a sprite.
flash::display_list* parentList(flash::character* ch) {
    flash::character* parent = ch ? ch->get_parent() : nullptr;
    return parent && parent->cast_to_sprite() ? parent->get_display_list() : nullptr;
}

flash::character* elementClip(const std::string& name) {
    BaseElement* element = findElement(name);
    return element ? element->getCharacter() : nullptr;
}

}  // namespace

void playMovieClip(const std::string& path, bool thisOnly) {
    flash::sprite_instance* clip = findSprite(path);
    if (!clip) return;
    clip->goto_frame(0);
    clip->set_play_state(flash::character::PLAY, !thisOnly);
    clip->setFramesForPlay(0, kWholeRange);
    clip->set_loop(kNoRepeat, false, kNoLoopDelay);
    clip->set_visible(true);
    script::consolePrint(("play_movie_clip: " + path).c_str());
}

void playMovieClipEx(const std::string& path, int first, int last) {
    flash::sprite_instance* clip = findSprite(path);
    if (!clip) return;
    clip->goto_frame(first);
    clip->setFramesForPlay(first, last);
    clip->set_play_state(flash::character::PLAY, false);
    clip->set_loop(kNoRepeat, true, kNoLoopDelay);
    clip->set_visible(true);
    script::consolePrint(
        ("play_movie_clip_ex: " + path + " " + std::to_string(first) + " " + std::to_string(last)).c_str());
}

void playMovieClipLoop(const std::string& path, int first, int last) {
    flash::sprite_instance* clip = findSprite(path);
    if (!clip) return;
    if (first != kKeepFirst && last != kKeepLast) clip->setFramesForPlay(first, last);
    clip->set_play_state(flash::character::PLAY, true);
    clip->set_loop(kEndless, true, kNoLoopDelay);
    clip->set_visible(true);
}

bool isMoviePlaying(const std::string& path) {
    const flash::sprite_instance* clip = findSprite(path);
    return clip && clip->get_play_state() <= flash::character::PLAY;
}

void gotoFrame(const std::string& path, int frame) {
    if (flash::sprite_instance* clip = findSprite(path)) clip->goto_frame(frame);
}

int getCurrentFrame(const std::string& path) {
    const flash::sprite_instance* clip = findSprite(path);
    return clip ? clip->get_current_frame() : -1;
}

int getFrameCount(const std::string& path) {
    const flash::sprite_instance* clip = findSprite(path);
    return clip ? clip->get_frame_count() : 0;
}

int getLabeledFrame(const std::string& path, const std::string& label) {
    const flash::sprite_instance* clip = findSprite(path);
    return clip ? clip->getLabeledFrame(label.c_str()) : 0;
}

Vec2 getClipPos(const std::string& path) {
    flash::character* ch = findClip(path);
    if (!ch) return Vec2{};
    const flash::matrix world = ch->get_world_matrix();
    return Vec2{world.m_[0][2] * flash::pixels_per_twip, world.m_[1][2] * flash::pixels_per_twip};
}

Vec2 getClipSize(const std::string& path) {
    flash::character* ch = findClip(path);
    if (!ch) return Vec2{};
    return Vec2{ch->get_width() * flash::pixels_per_twip, ch->get_height() * flash::pixels_per_twip};
}

void setClipPos(const std::string& element, int x, int y) {
    if (flash::character* ch = elementClip(element))
        setTranslation(ch, static_cast<float>(x) * flash::twips_per_pixel, static_cast<float>(y) * flash::twips_per_pixel);
}

void setClipPosY(const std::string& element, int y) {
    if (flash::character* ch = elementClip(element))
        setTranslation(ch, ch->get_matrix().m_[0][2], static_cast<float>(y) * flash::twips_per_pixel);
}

void setCharacterPos(const std::string& path, const std::string& targetPath) {
    flash::character* ch = findClip(path);
    flash::character* target = findClip(targetPath);
    if (!ch || !target) return;
    const flash::matrix& to = target->get_matrix();
    setTranslation(ch, to.m_[0][2], to.m_[1][2]);
}

std::optional<std::string> getCharFullName(const std::string& path) {
    flash::character* ch = findClip(path);
    if (!ch) return std::nullopt;
    const flash::bx_string& name = ch->get_path();
    return std::string(name.c_str(), static_cast<size_t>(name.length()));
}

void showTextAt(const std::string& text, const std::string& fieldPath) {
    auto* field = flash::cast_to<flash::edit_text_character>(findClip(fieldPath));
    if (!field) return;
    field->m_font_name = d_DialogsFont->toString();
    field->m_color = kWhite;
    field->set_text(text.c_str());
}

void setFxOnEvent(const std::string& effect, const std::string& path, int eventId) {
    if (eventId < 0 || eventId > kMaxEventId) return;
    const int slot = flash::sprite_sound_slot(eventId);
    if (slot < 0) return;
    if (flash::character* ch = findClip(path, true)) ch->m_effect_names[slot] = effect.c_str();
}

void swapDepth(const std::string& first, const std::string& second) {
    flash::character* a = elementClip(first);
    flash::character* b = elementClip(second);
    flash::display_list* list = parentList(a);
    if (!list || !b || b->get_parent() != a->get_parent()) return;
    const int depthA = a->get_depth();
    const int depthB = b->get_depth();
    list->set_character_depth(a, list->get_next_highest_depth());
    list->set_character_depth(b, depthA);
    list->set_character_depth(a, depthB);
}

void setHighestDepth(const std::string& path) {
    flash::character* ch = findClip(path);
    if (flash::display_list* list = parentList(ch)) list->set_character_depth(ch, list->get_next_highest_depth());
}

void setElementAlpha(const std::string& path, double alpha) {
    flash::character* ch = findClip(path);
    if (!ch) return;
    flash::cxform cx = ch->get_cxform();
    cx.m_[3][0] = ScriptBinding::finiteOrZero(static_cast<float>(alpha));
    ch->set_cxform(cx);
}

void setElementRgba(const std::string& path, rgba* colour) {
    flash::character* ch = findClip(path);
    if (!ch || !colour) return;
    flash::cxform cx = ch->get_cxform();
    const uint8_t bytes[4] = {colour->m_r, colour->m_g, colour->m_b, colour->m_a};
    for (int channel = 0; channel < 4; ++channel) cx.m_[channel][0] = bytes[channel] / kColourDivisor;
    ch->set_cxform(cx);
}

void getElementRgba(const std::string& path, rgba* colour) {
    flash::character* ch = findClip(path);
    if (!ch || !colour) return;
    const flash::rgba out = ch->get_cxform().transform(flash::rgba(colour->m_r, colour->m_g, colour->m_b, colour->m_a));
    colour->m_r = out.m_r;
    colour->m_g = out.m_g;
    colour->m_b = out.m_b;
    colour->m_a = out.m_a;
}

namespace {

using ScriptBinding::scriptCall;

const ScriptFunctionRegistration kFunctions[] = {
    {"play_movie_clip", scriptCall<&playMovieClip>},
    {"play_movie_clip_ex", scriptCall<&playMovieClipEx>},
    {"play_movie_clip_loop", scriptCall<&playMovieClipLoop>},
    {"is_movie_playing", scriptCall<&isMoviePlaying>},
    {"goto_frame", scriptCall<&gotoFrame>},
    {"get_current_frame", scriptCall<&getCurrentFrame>},
    {"get_frame_count", scriptCall<&getFrameCount>},
    {"get_labeled_frame", scriptCall<&getLabeledFrame>},
    {"get_clip_pos", scriptCall<&getClipPos>},
    {"get_clip_size", scriptCall<&getClipSize>},
    {"set_clip_pos", scriptCall<&setClipPos>},
    {"set_clip_pos_y", scriptCall<&setClipPosY>},
    {"set_character_pos", scriptCall<&setCharacterPos>},
    {"get_char_full_name", scriptCall<&getCharFullName>},
    {"show_text_at", scriptCall<&showTextAt>},
    {"set_fx_on_event", scriptCall<&setFxOnEvent>},
    {"swap_depth", scriptCall<&swapDepth>},
    {"set_highest_depth", scriptCall<&setHighestDepth>},
    {"set_element_alpha", scriptCall<&setElementAlpha>},
    {"set_element_rgba", scriptCall<&setElementRgba>},
    {"get_element_rgba", scriptCall<&getElementRgba>},
};

}  // namespace

}  // namespace script_functions
