#pragma once
// Playing writer movies in the tests: a movie fixture whose top-level clip is made by
// create_top_level and advanced by hand, and a journal of what the playing movie reports, in
// order: trace lines, sound and effect callback names, stop and event callbacks.
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/movie/sprite_instance.h"
#include "tests/flash/movie/movie_fixture.h"
#include "tests/flash/runtime/action_assembler.h"
#include "tools/swfwriter/movie_writer.h"
#include "tools/swfwriter/tag_writer.h"

namespace spritetest {

using bytes = movietest::bytes;
using testasm::assembler;

// The frame time of the writer's default rate (12 frames per second).
constexpr float frame_time = 1.0f / 12.0f;

// Registers the log, sound and effect callbacks while it lives; entries are "trace TEXT",
// "sound NAME", "fx NAME", "stop NAME" and "event ID NAME".
class journal {
public:
    journal();
    ~journal();
    journal(const journal&) = delete;
    journal& operator=(const journal&) = delete;

    // The entries since the last take, joined with ", ".
    std::string take();
    static void add(const std::string& entry);

    // Host callbacks to store in characters.
    static void on_stop(flash::character* ch);
    static void on_event(flash::character* ch, int code);

private:
    flash::log_callback m_previous;
};

// A movie read from writer bytes and its top-level clip, frame 0 already executed.
struct playing_movie {
    movietest::movie_fixture fixture;
    journal events;
    flash::smart_ptr<flash::sprite_instance> top;

    explicit playing_movie(const bytes& swf);
    ~playing_movie();

    void advance(int count = 1, float dt = frame_time);
    // The child of the top clip at a path of instance names ("a.b"); null when missing.
    flash::character* find(const std::string& path) const;
};

// DoAction bytes that trace one line.
bytes trace(const std::string& line);
// One frame: a DoAction tracing line, then ShowFrame.
void traced_frame(swf::TagWriter& w, const std::string& line);
// A sprite definition with frames empty frames; its id.
uint16_t empty_sprite(swf::TagWriter& w, int frames = 1);
// A placement of id at depth under an instance name.
swf::PlaceObject named(uint16_t depth, uint16_t id, const std::string& name);
// The End tag and the file.
bytes finish(swf::MovieWriter& m);
// A shape: a square of side pixels at (x, y) pixels.
uint16_t square(swf::TagWriter& w, int x, int y, int side);

}  // namespace spritetest
