#pragma once
// Engine-wide host callbacks: the sound callback (frame labels, play names, button sounds) and the
// effect callback that clips and buttons call with a name, and the text-drawing callback that a
// shown text field hands itself to (the host draws the text with its own fonts). Each slot is
// null until the host registers a function; a null slot is skipped.
#include "flash/runtime/event_id.h"

namespace flash {

class character;
class edit_text_character;

using sound_callback = void (*)(character* ch, const char* name);
using fx_callback = void (*)(character* ch, const char* name);
using drawtext_callback = void (*)(edit_text_character* field);

void register_sound_callback(sound_callback callback);
sound_callback get_sound_callback();
void register_fx_callback(fx_callback callback);
fx_callback get_fx_callback();
void register_drawtext_callback(drawtext_callback callback);
drawtext_callback get_drawtext_callback();

// The event code handed to the host's callback stored in the character, when it has one.
void notify_event_callback(character* ch, host_event_code code);

// What a button or a text field reports of an event id: a press (pressed, or dragged back over
// while pressed), roll over (released over it, rolled over, dragged out while pressed) or roll
// out (released outside, rolled out); none for every other event.
host_event_code button_host_event(int event);
// What a sprite reports of an event id: press, roll over, roll out, drag over, drag out and drag
// (still pressed over it); none for every other event.
host_event_code sprite_host_event(int event);
// The sound and effect name slot (button_sound_slot) a sprite plays on an event id: press,
// release, roll over and roll out; -1 for every other event.
int sprite_sound_slot(int event);

}  // namespace flash
