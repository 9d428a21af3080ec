#pragma once
// A sound handler that installs itself while it lives and records every call the engine makes:
// the sounds it is asked to create (with a copy of their data) and each play, stop and delete.
#include <cstring>
#include <string>
#include <vector>

#include "flash/movie/sound_handler_interface.h"

namespace movietest {

struct created_sound {
    std::vector<uint8_t> data;
    int sample_count = 0;
    int format = 0;
    int rate = 0;
    bool stereo = false;

    std::vector<int16_t> samples() const {
        std::vector<int16_t> out(data.size() / 2);
        if (!out.empty()) std::memcpy(out.data(), data.data(), out.size() * 2);
        return out;
    }
};

class recording_sound_handler : public flash::sound_handler {
public:
    recording_sound_handler() { flash::set_sound_handler(this); }
    ~recording_sound_handler() override { flash::set_sound_handler(nullptr); }

    // Ids start at 100 so that a sound id is never mistaken for a handler id.
    static constexpr int first_id = 100;

    int create_sound(const void* data, int bytes, int sample_count, int format, int rate, bool stereo) override {
        created_sound s;
        const uint8_t* p = static_cast<const uint8_t*>(data);
        s.data.assign(p, p + bytes);
        s.sample_count = sample_count;
        s.format = format;
        s.rate = rate;
        s.stereo = stereo;
        created.push_back(s);
        return first_id + static_cast<int>(created.size()) - 1;
    }
    void play_sound(flash::as_object*, int id, int loops) override {
        calls.push_back("play " + std::to_string(id) + " loops " + std::to_string(loops));
    }
    void stop_sound(int id) override { calls.push_back("stop " + std::to_string(id)); }
    void delete_sound(int id) override { calls.push_back("delete " + std::to_string(id)); }
    bool is_enabled() override { return enabled; }
    bool is_streaming() override { return streaming; }
    void append_sound(int id, const void* data, int bytes) override {
        const uint8_t* p = static_cast<const uint8_t*>(data);
        std::string text = "append " + std::to_string(id);
        for (int i = 0; i < bytes; ++i) text += " " + std::to_string(p[i]);
        calls.push_back(text);
    }
    void pause_sound(int id, bool was_playing) override {
        calls.push_back("pause " + std::to_string(id) + (was_playing ? " playing" : " stopped"));
    }

    bool enabled = true;
    bool streaming = false;
    std::vector<created_sound> created;
    std::vector<std::string> calls;
};

}  // namespace movietest
