#pragma once
// The engine instance: the ActionScript global object with its builtin classes, the shared
// builtin method tables, the heap of script objects that the garbage pass walks, the current
// root and its top-level movie, the start time, the verbose flags and the library of loaded
// movie definitions.
#include <atomic>
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_library.h"
#include "flash/runtime/as_value.h"
#include "flash/runtime/engine_instance.h"

namespace flash {

class as_object;
class root;

class player : public engine_instance {
public:
    player();
    ~player() override;

    as_object* get_global() const override { return m_global.get_ptr(); }

    // The movie of a path: from the library, or read through the file opener (movie_library).
    movie_definition_sub* create_movie(const char* path) { return m_library.create_movie(this, path); }
    movie_library& get_movie_library() { return m_library; }
    // A new root of the movie at path; empty (with a line on standard error) when the movie
    // cannot be read or instanced. The player's current root stays as it was.
    smart_ptr<root> load_file(const char* path);

    static int get_instance_count();

    // Heap and garbage pass. An entry is garbage while its mark is older than the current pass:
    // set_as_garbage starts a new pass, so it flags every entry at once.
    void mark_alive(as_object* obj) override;
    bool mark_reached(as_object* obj) override;
    bool is_garbage(as_object* obj) const override;
    bool is_in_heap(as_object* obj) const override;
    void set_as_garbage();
    // Marks from the global object and from every live root, then drops what stayed flagged,
    // cutting the cycles of those still counted elsewhere.
    void clear_garbage();
    void clear_heap();
    int get_heap_size() const { return m_heap.size(); }

    // The roots made for this player, held weakly: each one's movie is marked by the garbage pass.
    void add_root(root* r);
    int get_live_root_count();
    // Called by a root at the end of each frame step. The pass marks from every root, so one pass
    // serves a round of frame steps of all live roots, and it runs after a round only when the
    // heap grew enough since the last pass or enough rounds went by; none runs inside a nested
    // advance (a host callback advancing another root), whose caller may still hold objects on
    // its stack.
    void collect_after_frame_step();
    void enter_advance() { ++m_advance_depth; }
    void leave_advance() { --m_advance_depth; }
    int get_garbage_pass_count() const { return m_garbage_passes; }

    // The current root: a weak link, dropped once the root has died.
    root* get_root() override;
    template <class R>
    void set_root(R* r) {
        set_root_link(r, r ? r->get_weak_proxy() : nullptr);
    }
    // The top-level movie of the current root (what "/" paths and "_root" give); without a
    // current root, the movie set_root_movie named.
    as_object* get_root_movie() const override;
    // Forwards a key to the current root (nothing without one).
    void notify_key_event(int key_code, bool down);
    // The current root's advance listeners and movie version (timers and ASSetPropFlags).
    listener* get_advance_listeners() override;
    listener* get_root_advance_listeners(root* r) override;
    int get_movie_version() const override;
    // Movies and images loaded into targets by scripts, and unloading (target_loader).
    void load_into_target(const char* url, int file_type, as_object* target) override;
    // registerClass on the movie of a clip.
    bool register_exported_class(as_object* target, const bx_string& symbol, as_function* ctor) override;
    // The player behind an engine instance: it is the only kind there is.
    static player* from(engine_instance* owner) { return static_cast<player*>(owner); }
    void set_root_movie(as_object* movie);

    // Verbose flags (engine-wide).
    void verbose_action(bool on);
    void verbose_parse(bool on);

    // Milliseconds of the engine clock when the global object was built.
    uint64_t get_start_time() const override { return m_start_time; }

    void set_flash_vars(const bx_string& vars) { m_flash_vars = vars; }
    const bx_string& get_flash_vars() const { return m_flash_vars; }
    void set_workdir(const char* dir) { m_workdir = dir ? dir : ""; }
    const char* get_workdir() const { return m_workdir.c_str(); }
    bool get_force_realtime_framerate() const { return m_force_realtime_framerate; }
    void set_force_realtime_framerate(bool on) { m_force_realtime_framerate = on; }
    // Bitmap texture statistics: with the flag on, each bitmap character logs the texture it
    // will need and the running total (kilobytes) that add_bitmap_texture_kb keeps.
    void set_bitmap_statistics(bool on) { m_bitmap_statistics = on; }
    bool get_bitmap_statistics() const { return m_bitmap_statistics; }
    int add_bitmap_texture_kb(int kb) { return m_bitmap_total_kb += kb; }
    static bool use_separate_thread();
    static void set_separate_thread(bool on);

    // Builds the global object's members (the constructor calls it).
    void action_init();
    // Clears the standard member table when no instance is left.
    static void action_clear();

private:
    void set_root_link(root* r, weak_proxy* proxy);

    void prune_dead_roots();
    // A new marking walk: every object may be visited once more.
    void start_walk();

    // The pass that last marked an object alive, and the marking walk that last visited it: an
    // object that marked itself alive (a new or advancing one) is still walked, so that what it
    // reaches is marked too.
    struct heap_mark {
        uint32_t alive = 0;
        uint32_t walk = 0;
    };
    hash<smart_ptr<as_object>, heap_mark> m_heap;
    uint32_t m_pass = 0;
    uint32_t m_walk = 0;
    array<weak_ptr<root>> m_roots;
    int m_advance_depth = 0;
    int m_steps_since_pass = 0;
    int m_rounds_since_pass = 0;
    int m_survivors = 0;  // the heap's size after the last pass
    int m_garbage_passes = 0;
    smart_ptr<as_object> m_global;
    uint64_t m_start_time = 0;
    root* m_root = nullptr;               // weak: valid while m_root_proxy is alive
    weak_proxy* m_root_proxy = nullptr;   // counted
    weak_ptr<as_object> m_root_movie;
    bx_string m_workdir;
    bx_string m_flash_vars;
    bool m_force_realtime_framerate = false;
    bool m_bitmap_statistics = false;
    std::atomic<int> m_bitmap_total_kb{0};  // bitmaps are loaded on loader threads too
    movie_library m_library;
};

}  // namespace flash
