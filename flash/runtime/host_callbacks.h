#pragma once
// The host's engine-wide callbacks that displayed objects call: the named sound and effect of a
// sprite or button event, and the drawing of a text field's text, which the host does with its own
// fonts. Each slot holds one function; null clears it and every call is skipped while it is null.
namespace flash {

class character;
class edit_text_character;

using sound_callback = void (*)(character* ch, const char* name);
using fx_callback = void (*)(character* ch, const char* name);
using drawtext_callback = void (*)(edit_text_character* field);

void register_sound_callback(sound_callback callback);
void register_fx_callback(fx_callback callback);
void register_drawtext_callback(drawtext_callback callback);
sound_callback get_sound_callback();
fx_callback get_fx_callback();
drawtext_callback get_drawtext_callback();

// The event code handed to the host's callback stored in the character, when it has one.
void notify_event_callback(character* ch, int code);

}  // namespace flash
