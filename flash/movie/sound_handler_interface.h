#pragma once
// The sound back end a host may install, apart from the movies and tags that play through it, so
// that a host implements it without the engine's definitions.
namespace flash {

class as_object;

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

// The installed handler; null uninstalls. The engine never owns it.
void set_sound_handler(sound_handler* handler);
// The handler only while it says it is enabled (what buttons play through).
sound_handler* get_sound_handler();
// The handler as installed, enabled or not (what the sound tags use).
sound_handler* get_installed_sound_handler();
// The installed handler when it streams; null otherwise.
sound_handler* get_streaming_sound_handler();

}  // namespace flash
