#pragma once
// Event sounds: the sample a DefineSound tag becomes while a sound handler is installed
// (sound_handler_interface.h), the StartSound frame tag and the two loaders. Without a handler no
// sample is made, and the host hears sounds through the named-sound callbacks of sprites and
// buttons instead.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/movie/character_def.h"
#include "flash/movie/sound_handler_interface.h"
#include "flash/runtime/action_tags.h"
#include "flash/swf/sound_info.h"

namespace flash {

class as_object;
class movie_definition_sub;
class swf_stream;

// The sample rate in Hz of a two-bit rate code.
int sound_rate_hz(int rate_code);

// A sound the installed handler holds; deleting the sample deletes the handler's sound.
class sound_sample : public character_def {
public:
    explicit sound_sample(int sound_handler_id) : m_sound_handler_id(sound_handler_id) {}
    ~sound_sample() override;

    bool is(int class_id) const override { return class_id == SOUND_SAMPLE || character_def::is(class_id); }

    int get_sound_handler_id() const { return m_sound_handler_id; }

private:
    int m_sound_handler_id;
};

// StartSound: plays (or stops) a sample when its frame runs.
class start_sound_tag : public execute_tag {
public:
    // Reads the SOUNDINFO that follows the sound id; keeps the stop flag, loops and envelope.
    void read(swf_stream* in, uint16_t sound_handler_id);
    void execute(character* sprite) override;

    uint16_t m_handler_id = 0;
    int m_loop_count = 0;
    bool m_stop_playback = false;
    array<sound_envelope_point> m_envelopes;
};

// DefineSound (14) and StartSound (15).
void define_sound_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void start_sound_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
