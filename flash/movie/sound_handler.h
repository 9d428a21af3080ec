#pragma once
// Event sounds: the process-wide sound handler that a host may install, the sample a DefineSound
// tag becomes while one is installed, the SOUNDINFO record, the StartSound frame tag and the two
// loaders. Without a handler no sample is made, and the host hears sounds through the named-sound
// callbacks of sprites and buttons instead.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/movie/character_def.h"
#include "flash/runtime/action_tags.h"

namespace flash {

class as_object;
class movie_definition_sub;
class swf_stream;

// What the engine calls of a host's sound back end; it calls nothing else.
class sound_handler {
public:
    // Format codes handed to create_sound: the file's own, except that ADPCM (decoded here) and
    // 16-bit little-endian data reach the handler as native 16-bit samples.
    enum format_type {
        FORMAT_RAW = 0,
        FORMAT_ADPCM = 1,
        FORMAT_MP3 = 2,
        FORMAT_UNCOMPRESSED = 3,
        FORMAT_NATIVE16 = 7,
    };

    virtual ~sound_handler() = default;
    // The handler copies what it needs of data; returns its id for the sound.
    virtual int create_sound(const void* data, int data_bytes, int sample_count, int format,
                             int sample_rate, bool stereo) = 0;
    virtual void play_sound(as_object* owner, int sound_handle, int loop_count) = 0;
    virtual void stop_sound(int sound_handle) = 0;
    virtual void delete_sound(int sound_handle) = 0;
    virtual bool is_enabled() = 0;
    // Stream sounds (SoundStreamHead, SoundStreamBlock): only a handler that says it streams is
    // given them. A stream is made by create_sound with no data and grows by its blocks.
    virtual bool is_streaming() { return false; }
    virtual void append_sound(int /*sound_handle*/, const void* /*data*/, int /*data_bytes*/) {}
    // A clip's play state changes; was_playing tells whether it played before.
    virtual void pause_sound(int /*sound_handle*/, bool /*was_playing*/) {}
};

// The installed handler when it streams; null otherwise.
sound_handler* get_streaming_sound_handler();

// The installed handler; null uninstalls. The engine never owns it.
void set_sound_handler(sound_handler* handler);
// The handler only while it says it is enabled (what buttons play through).
sound_handler* get_sound_handler();
// The handler as installed, enabled or not (what the sound tags use).
sound_handler* get_installed_sound_handler();

// The sample rate in Hz of a two-bit rate code.
int sound_rate_hz(int rate_code);

struct sound_envelope_point {
    uint32_t m_position = 0;
    uint16_t m_left_level = 0;
    uint16_t m_right_level = 0;
};

// The SOUNDINFO record as buttons keep it whole.
struct sound_info {
    bool m_no_multiple = false;
    bool m_stop_playback = false;
    bool m_has_envelope = false;
    bool m_has_loops = false;
    bool m_has_out_point = false;
    bool m_has_in_point = false;
    uint32_t m_in_point = 0;
    uint32_t m_out_point = 0;
    uint16_t m_loop_count = 0;
    array<sound_envelope_point> m_envelopes;

    // From a byte-aligned start; a record cut by the tag's end keeps what was read.
    void read(swf_stream* in);
};

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
