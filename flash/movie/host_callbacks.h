#pragma once
// Engine-wide host callbacks: the sound callback (frame labels, play names, button sounds) and the
// effect callback that clips and buttons call with a name, and the text-drawing callback that a
// shown text field hands itself to (the host draws the text with its own fonts). Each slot is
// null until the host registers a function; a null slot is skipped.
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
void notify_event_callback(character* ch, int code);

}  // namespace flash
