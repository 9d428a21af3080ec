#pragma once
// A movie playing on a root that is its player's current root, with a clip "holder" at depth 1
// to load into, a journal of the listener calls scripts receive, and writer files for the loads:
// a movie that traces and shows a square, and a JPEG picture.
#include <string>
#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_instance.h"
#include "flash/runtime/as_function.h"
#include "tests/flash/movie/movie_fixture.h"

namespace loadtest {

using bytes = movietest::bytes;

// Side of the JPEG picture in pixels.
constexpr int picture_side = 8;

// A movie whose frame 0 traces text and shows a red square.
bytes child_movie(const std::string& text, int version = 8);
// A grey JPEG picture_side pixels square.
bytes jpeg_picture();
// The main movie: an empty clip named "holder" at depth 1 of frame 0, moved to (10, 20) pixels.
// With an export name, the clip's sprite is exported under it.
bytes main_movie(const std::string& export_name = "");

struct loading_movie {
    movietest::movie_fixture fixture;
    flash::smart_ptr<flash::root> r;
    flash::smart_ptr<flash::sprite_instance> top;

    explicit loading_movie(const bytes& main = main_movie());
    ~loading_movie();

    flash::player* owner() { return fixture.owner.get_ptr(); }
    void serve(const std::string& path, const bytes& data) { fixture.files.add(path, data); }
    // One root advance of a writer frame time.
    void advance(int count = 1);
    flash::character* child(const char* name) const;
    // Calls a native with the top clip's environment (its target is the top clip).
    flash::as_value call(flash::as_c_function_ptr f, const flash::as_value& self,
                         std::initializer_list<flash::as_value> args = {});
};

// A script object whose listener methods record "name(arg, arg)" lines into calls().
flash::as_object* make_recording_listener(flash::player* owner, const char* tag);
std::vector<std::string>& calls();

}  // namespace loadtest
