#pragma once
// The engine instance: the ActionScript global object with its builtin classes, the shared
// builtin method tables, the heap of script objects that the garbage pass walks, the current
// root and its top-level movie, the start time, the verbose flags and the library of loaded
// movie definitions.
#include <cstdint>

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

    static int get_instance_count();

    // Heap and garbage pass.
    void mark_alive(as_object* obj) override;
    bool is_garbage(as_object* obj) const override;
    bool is_in_heap(as_object* obj) const override;
    void set_as_garbage();
    void clear_garbage();
    void clear_heap();
    int get_heap_size() const { return m_heap.size(); }

    // The current root: a weak link, dropped once the root has died.
    root* get_root() override;
    template <class R>
    void set_root(R* r) {
        set_root_link(r, r ? r->get_weak_proxy() : nullptr);
    }
    // The top-level movie of the current root (what "/" paths and "_root" give).
    as_object* get_root_movie() const override;
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
    static bool use_separate_thread();
    static void set_separate_thread(bool on);

    // Builds the global object's members (the constructor calls it).
    void action_init();
    // Clears the standard member table when no instance is left.
    static void action_clear();

private:
    void set_root_link(root* r, weak_proxy* proxy);

    hash<smart_ptr<as_object>, bool> m_heap;
    smart_ptr<as_object> m_global;
    uint64_t m_start_time = 0;
    root* m_root = nullptr;               // weak: valid while m_root_proxy is alive
    weak_proxy* m_root_proxy = nullptr;   // counted
    weak_ptr<as_object> m_root_movie;
    bx_string m_workdir;
    bx_string m_flash_vars;
    bool m_force_realtime_framerate = false;
    movie_library m_library;
};

}  // namespace flash
