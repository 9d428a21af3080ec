#pragma once
// The script functions that act on the clips of the current level: playback, frames, positions,
// sizes, names, depths, colours, texts and per-event effects. Each is the native function behind
// the script global of the same meaning (the snake_case name of the comment); the script entries
// are made from them by the call adapter in the .cpp.
//
// A missing level, clip or element makes a function do nothing and a value-returning one answer
// its default (named at each function). Paths are clip paths searched deep in the level.
#include <optional>
#include <string>

#include "levels/script_function_support.h"
#include "script/value_types.h"

class BaseLevel;
class BaseElement;
namespace flash {
class character;
class sprite_instance;
}

namespace script_functions {

// play_movie_clip: frame 0, playing (its child sprites too unless `thisOnly`), the whole range,
// no repeat, visible; prints "play_movie_clip: <path>".
void playMovieClip(const std::string& path, bool thisOnly);
// play_movie_clip_ex: frame `first`, range [first, last], playing (the clip only), no repeat (its
// children too), visible; prints "play_movie_clip_ex: <path> <first> <last>".
void playMovieClipEx(const std::string& path, int first, int last);
// play_movie_clip_loop: range [first, last] unless first is -1 or last is 1; playing with its
// children, endless repeats, visible; the frame stays.
void playMovieClipLoop(const std::string& path, int first, int last);
// is_movie_playing: play state at or below 0; false when missing.
bool isMoviePlaying(const std::string& path);
void gotoFrame(const std::string& path, int frame);
// get_current_frame: -1 when missing.
int getCurrentFrame(const std::string& path);
// get_frame_count: 0 when missing.
int getFrameCount(const std::string& path);
// get_labeled_frame: the engine's frame of the label; 0 when the clip is missing.
int getLabeledFrame(const std::string& path, const std::string& label);
// get_clip_pos: the world translation in pixels; (0, 0) when missing.
Vec2 getClipPos(const std::string& path);
// get_clip_size: width and height in pixels; (0, 0) when missing.
Vec2 getClipSize(const std::string& path);
// set_clip_pos, set_clip_pos_y: the element's clip translation (pixels), scale and rotation kept.
void setClipPos(const std::string& element, int x, int y);
void setClipPosY(const std::string& element, int y);
// set_character_pos: the target clip's translation copied into the clip's.
void setCharacterPos(const std::string& path, const std::string& targetPath);
// get_char_full_name: the names of the clip's named ancestors and its own joined by a
// backslash; none (nil) when missing.
std::optional<std::string> getCharFullName(const std::string& path);
// show_text_at: the text field's font becomes d_DialogsFont, its colour opaque white, its text
// the given one (not looked up in the string table).
void showTextAt(const std::string& text, const std::string& fieldPath);
// set_fx_on_event: the effect the clip (of the deep current level) starts on the event id; an id
// the engine keeps no effect for changes nothing.
void setFxOnEvent(const std::string& effect, const std::string& path, int eventId);
// swap_depth: the two elements' clips exchange depths through a free one; nothing when they are
// not children of one sprite.
void swapDepth(const std::string& first, const std::string& second);
// set_highest_depth: above every sibling.
void setHighestDepth(const std::string& path);
// set_element_alpha: the colour transform's alpha multiplier (non-finite: 0).
void setElementAlpha(const std::string& path, double alpha);
// set_element_rgba: the four multipliers become the bytes / 256, offsets kept.
void setElementRgba(const std::string& path, rgba* colour);
// get_element_rgba: the colour passed through the clip's colour transform, in place.
void getElementRgba(const std::string& path, rgba* colour);

}  // namespace script_functions
