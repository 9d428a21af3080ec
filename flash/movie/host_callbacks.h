#pragma once
// Engine-wide host callbacks that clips and buttons call with a name: the sound callback (frame
// labels, play names, button sounds) and the effect callback. Each slot is null until the host
// registers a function; a null slot is skipped.
namespace flash {

class character;

using sound_callback = void (*)(character* ch, const char* name);
using fx_callback = void (*)(character* ch, const char* name);

void register_sound_callback(sound_callback callback);
sound_callback get_sound_callback();
void register_fx_callback(fx_callback callback);
fx_callback get_fx_callback();

}  // namespace flash
