// The fuzz entry: arbitrary bytes read as the body of a display-list or button tag, without a
// player. The first byte picks the record (and the movie version), the rest is the tag's body.
// Every read must stay inside the body, and what comes back must be bounded by it. The gtest
// below runs the entry over bodies the test writer makes, their cuts and byte changes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "flash/base/bx_file.h"
#include "flash/base/log.h"
#include "flash/swf/button_records.h"
#include "flash/swf/display_list_records.h"
#include "flash/swf/swf_stream.h"
#include "tests/support/fuzz_target.h"

namespace swftest {

namespace {

void quiet_log(bool, const char*) {}

constexpr size_t max_input = 1 << 16;
// An action list cut by the tag's end reads zeros for at most one payload.
constexpr size_t max_zero_padding = 0x10000;

struct record_kind {
    int tag_type;
    int version;
};
constexpr record_kind kinds[] = {
    {flash::TAG_PLACE_OBJECT, 4},   {flash::TAG_PLACE_OBJECT2, 5},  {flash::TAG_PLACE_OBJECT2, 8},
    {flash::TAG_PLACE_OBJECT3, 8},  {flash::TAG_REMOVE_OBJECT, 8},  {flash::TAG_REMOVE_OBJECT2, 8},
    {flash::TAG_DEFINE_BUTTON, 8},  {flash::TAG_DEFINE_BUTTON2, 8}, {flash::TAG_DEFINE_BUTTON_SOUND, 8},
};

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

constexpr int record_kind_count = static_cast<int>(sizeof kinds / sizeof kinds[0]);

void fuzz_record_bytes(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const record_kind kind = kinds[data[0] % record_kind_count];
    const int body_size = static_cast<int>(size - 1 > max_input ? max_input : size - 1);
    const flash::log_callback previous = flash::get_log_callback();
    flash::register_log_callback(quiet_log);
    {
        flash::bx_file file(flash::memory_buffer, body_size, const_cast<uint8_t*>(data + 1));
        flash::swf_stream in(&file);
        in.set_stream_end(body_size);
        const size_t bound = static_cast<size_t>(body_size);
        switch (kind.tag_type) {
        case flash::TAG_PLACE_OBJECT:
        case flash::TAG_PLACE_OBJECT2:
        case flash::TAG_PLACE_OBJECT3: {
            flash::swf_place_object p;
            flash::read_place_object(&in, kind.tag_type, kind.version, &p);
            size_t action_bytes = 0;
            for (const flash::swf_clip_action& a : p.clip_actions) action_bytes += a.actions.size();
            require(p.clip_actions.size() <= bound && action_bytes <= bound);
            require(static_cast<size_t>(p.name.size()) <= bound);
            break;
        }
        case flash::TAG_REMOVE_OBJECT:
        case flash::TAG_REMOVE_OBJECT2: {
            flash::swf_remove_object r;
            flash::read_remove_object(&in, kind.tag_type, &r);
            break;
        }
        case flash::TAG_DEFINE_BUTTON:
        case flash::TAG_DEFINE_BUTTON2: {
            flash::swf_define_button b;
            flash::read_define_button(&in, kind.tag_type, &b);
            size_t action_bytes = 0;
            for (const flash::swf_button_action& a : b.actions) action_bytes += a.actions.size();
            require(b.records.size() <= bound && b.actions.size() <= bound + 1);
            require(action_bytes <= bound + max_zero_padding);
            break;
        }
        default: {
            flash::swf_button_sounds sounds;
            flash::read_button_sounds(&in, &sounds);
            for (const flash::swf_button_sound& s : sounds.entries) {
                require(static_cast<size_t>(s.info.m_envelopes.size()) <= bound);
            }
            break;
        }
        }
        require(in.get_position() >= 0 && in.get_position() <= body_size);
    }
    flash::register_log_callback(previous);
}

}  // namespace swftest

TOV_FUZZ_TARGET(swftest::fuzz_record_bytes(data, size))

#ifndef TOV_FUZZ_MAIN
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tools/swfwriter/buttons.h"
#include "tools/swfwriter/place_object.h"

namespace {

using bytes = std::vector<uint8_t>;

// The entry's input: the kind byte, then the body.
bytes input(int kind, const bytes& body, size_t skip = 0) {
    bytes out = {static_cast<uint8_t>(kind)};
    out.insert(out.end(), body.begin() + static_cast<long>(skip), body.end());
    return out;
}

// Well-formed bodies of each kind, by the test writer (button bodies without their id).
std::vector<bytes> seeds() {
    const bytes stop_end = {0x07, 0x00};
    swf::PlaceObject full = swf::PlaceObject::place(3, 9);
    full.matrix = swf::Matrix::translation(100, -60);
    full.cxform = swf::CxForm();
    full.ratio = 7;
    full.name = "door";
    full.clip_depth = 4;
    full.clip_actions = swf::clip_actions({swf::clip_action(swf::event_load | swf::event_press, stop_end),
                                           swf::clip_action(swf::event_key_press, stop_end, 65)});
    swf::PlaceObject third = full;
    third.filters = std::vector<swf::Filter>{swf::blur_filter(2, 2, 1)};
    third.blend_mode = 3;
    swf::PlaceObject1 first;
    first.character_id = 2;
    first.depth = 1;
    first.cxform = swf::CxForm();
    swf::ButtonRecord child;
    child.character_id = 4;
    child.filters = std::vector<swf::Filter>{swf::blur_filter(1, 1, 1)};
    child.blend_mode = 2;
    swf::Button2 button;
    button.records = {child, child};
    button.actions = {{swf::cond_press, stop_end}, {swf::cond_key_press(13), stop_end}};
    std::array<swf::ButtonSound, 4> sounds{};
    sounds[1].sound_id = 7;
    sounds[1].info.loops = 3;
    sounds[1].info.envelope = std::vector<swf::EnvelopePoint>{{}, {}};
    sounds[2].sound_id = 8;
    sounds[2].info.stop = true;
    return {
        input(0, swf::place_object_body(first)),
        input(1, swf::place_object2_body(full, 5)),
        input(2, swf::place_object2_body(full, 8)),
        input(3, swf::place_object3_body(third, 8)),
        input(4, swf::remove_object_body(5, 9)),
        input(5, swf::remove_object2_body(9)),
        input(6, swf::define_button_body(1, {child}, stop_end), 2),
        input(7, swf::define_button2_body(1, button), 2),
        input(8, swf::define_button_sound_body(1, sounds), 2),
    };
}

// With RECORDS_FUZZ_SEED_DIR set the seeds are written there for the fuzzer.
TEST(RecordsFuzzEntry, RunsCleanOverCutsAndChangesOfItsSeeds) {
    std::mt19937 random(2037);
    size_t runs = 0;
    int index = 0;
    for (const bytes& seed : seeds()) {
        if (const char* dir = std::getenv("RECORDS_FUZZ_SEED_DIR")) {
            const std::string path = std::string(dir) + "/record" + std::to_string(index++);
            if (FILE* out = std::fopen(path.c_str(), "wb")) {
                std::fwrite(seed.data(), 1, seed.size(), out);
                std::fclose(out);
            }
        }
        for (size_t cut = 0; cut <= seed.size(); ++cut, ++runs) swftest::fuzz_record_bytes(seed.data(), cut);
        for (int round = 0; round < 200; ++round, ++runs) {
            bytes changed = seed;
            const int flips = 1 + static_cast<int>(random() % 4);
            for (int i = 0; i < flips; ++i) changed[1 + random() % (changed.size() - 1)] = static_cast<uint8_t>(random());
            swftest::fuzz_record_bytes(changed.data(), changed.size());
        }
    }
    EXPECT_GT(runs, 9u * 200u);
}

}  // namespace
#endif
