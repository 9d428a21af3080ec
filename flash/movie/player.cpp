#include "flash/movie/player.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "flash/base/bx_loadlib.h"
#include "flash/base/bx_random.h"
#include "flash/base/log.h"
#include "flash/runtime/name_tables.h"
#include "flash/movie/edit_text_character.h"
#include "flash/movie/internal/garbage_pass.h"
#include "flash/movie/as_mcloader.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/movie/movie_root.h"
#include "flash/movie/sprite_methods.h"
#include "flash/movie/target_loader.h"
#include "flash/movie/tag_loaders.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_key.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_string.h"
#include "flash/runtime/as_textformat.h"
#include "flash/runtime/as_timer.h"
#include "flash/runtime/character.h"
#include "flash/runtime/global_functions.h"
#include "flash/runtime/standard_globals.h"
#include "platform/clock.h"

namespace flash {

namespace {

int g_instance_count = 0;

// When a round of frame steps ends in a garbage pass: once the heap grew by a quarter of what
// survived the last pass (at least 64 objects), and at the latest after 30 rounds (a second at
// 30 frames a second). Marking the whole heap every frame step of every root would cost more
// than the frame itself.
constexpr int max_rounds_between_passes = 30;
constexpr int min_heap_growth_for_pass = 64;
constexpr int heap_growth_share_for_pass = 4;
bool g_separate_thread = true;

void build_builtin_tables() {
    set_standard_builtins();
    sprite_methods_init();
}

}  // namespace

player::player() {
    m_global = new as_object(this);
    action_init();
    if (g_instance_count == 0) build_builtin_tables();
    ++g_instance_count;
    // Under the fixed test clock the engine's random numbers start where they do on every run.
    const int steps = platform::virtualClockOn() ? 0 : static_cast<int>(std::time(nullptr) & 0xFF);
    for (int i = 0; i < steps; ++i) bx_random::next_random();
}

player::~player() {
    set_root_link(nullptr, nullptr);
    m_root_movie = static_cast<as_object*>(nullptr);
    m_global = nullptr;
    --g_instance_count;
    clear_heap();
    {
        std::lock_guard<std::recursive_mutex> lock(flash_engine_mutex());
        m_library.release_all();
        if (g_instance_count == 0) clear_tag_loaders();
    }
    if (g_instance_count == 0) {
        clear_extension_modules();
        clear_builtins();
        action_clear();
    }
}

int player::get_instance_count() { return g_instance_count; }

smart_ptr<root> player::load_file(const char* path) {
    movie_definition_sub* def = create_movie(path);
    if (!def) {
        std::fprintf(stderr, "error: can't create a movie from '%s'\n", path ? path : "");
        return nullptr;
    }
    smart_ptr<root> r;
    if (def->is(character_def::MOVIE_DEF_IMPL)) r = static_cast<movie_def_impl*>(def)->create_instance();
    if (!r) {
        std::fprintf(stderr, "error: can't create movie instance\n");
        return nullptr;
    }
    r->set_movie_name(path);
    if (get_verbose_parse()) log_msg("Playing %s, swf version %d\n", path, r->get_movie_version());
    return r;
}

void player::mark_alive(as_object* obj) {
    if (!obj) return;
    smart_ptr<as_object> key(obj);
    auto it = m_heap.find(key);
    if (it == m_heap.end()) {
        m_heap.add(key, heap_mark{m_pass, m_walk - 1});  // not visited by the current walk
        return;
    }
    it.get_value().alive = m_pass;
}

bool player::mark_reached(as_object* obj) {
    if (!obj) return false;
    smart_ptr<as_object> key(obj);
    auto it = m_heap.find(key);
    if (it == m_heap.end()) {
        m_heap.add(key, heap_mark{m_pass, m_walk});
        return true;
    }
    heap_mark& mark = it.get_value();
    mark.alive = m_pass;
    if (mark.walk == m_walk) return false;
    mark.walk = m_walk;
    return true;
}

bool player::is_garbage(as_object* obj) const {
    heap_mark mark{m_pass, 0};
    m_heap.get(smart_ptr<as_object>(obj), &mark);
    return mark.alive != m_pass;
}

bool player::is_in_heap(as_object* obj) const {
    return m_heap.find_index(smart_ptr<as_object>(obj)) >= 0;
}

void player::set_as_garbage() {
    ++m_pass;
    start_walk();
    if (m_pass == 0) {
        // The counter wrapped: old marks could read as current, so age every entry explicitly.
        for (auto it = m_heap.begin(); it != m_heap.end(); ++it) it.get_value().alive = UINT32_MAX;
    }
}

void player::start_walk() {
    ++m_walk;
    if (m_walk == 0) {
        for (auto it = m_heap.begin(); it != m_heap.end(); ++it) it.get_value().walk = UINT32_MAX;
    }
}

void player::clear_garbage() {
    ++m_garbage_passes;
    start_walk();
    if (m_global) m_global->this_alive();
    prune_dead_roots();
    // Every live root is a source of reachability: a pass run for one root's frame step must not
    // take what another root shows or holds.
    array<smart_ptr<root>> roots;
    for (int i = 0; i < m_roots.size(); ++i) {
        if (root* r = m_roots[i].get_ptr()) roots.push_back(smart_ptr<root>(r));
    }
    for (int i = 0; i < roots.size(); ++i) roots[i]->mark_reachable();
    array<as_object*> garbage;
    for (auto it = m_heap.begin(); it != m_heap.end(); ++it) {
        if (it.get_value().alive != m_pass) garbage.push_back(it.get_key().get_ptr());
    }
    // Cut the cycles first, while the heap still holds every candidate.
    cut_garbage_cycles(this, garbage);
    for (int i = 0; i < garbage.size(); ++i) {
        m_heap.erase(smart_ptr<as_object>(garbage[i]));
    }
    m_survivors = m_heap.size();
    m_rounds_since_pass = 0;
}

void player::add_root(root* r) {
    if (!r) return;
    prune_dead_roots();
    m_roots.push_back(weak_ptr<root>(r));
}

int player::get_live_root_count() {
    prune_dead_roots();
    return m_roots.size();
}

void player::prune_dead_roots() {
    int kept = 0;
    for (int i = 0; i < m_roots.size(); ++i) {
        if (m_roots[i].get_ptr()) m_roots[kept++] = m_roots[i];
    }
    m_roots.resize(kept);
}

void player::collect_after_frame_step() {
    if (m_advance_depth > 1) return;
    if (++m_steps_since_pass < get_live_root_count()) return;
    m_steps_since_pass = 0;
    ++m_rounds_since_pass;
    const int survivors = m_survivors;
    const int growth = std::max(min_heap_growth_for_pass, survivors / heap_growth_share_for_pass);
    if (m_rounds_since_pass < max_rounds_between_passes && m_heap.size() < survivors + growth) return;
    clear_garbage();
}

void player::clear_heap() {
    // Each object goes in turn, so the frees run one at a time rather than as one cascade.
    array<smart_ptr<as_object>> objects;
    for (auto it = m_heap.begin(); it != m_heap.end(); ++it) objects.push_back(it.get_key());
    m_heap.clear();
    // Nothing runs scripts once the heap goes: the cycles that no garbage pass got to are freed.
    release_cut(&objects);
}

root* player::get_root() {
    if (m_root_proxy && !m_root_proxy->is_alive()) set_root_link(nullptr, nullptr);
    return m_root;
}

void player::set_root_link(root* r, weak_proxy* proxy) {
    if (proxy) proxy->add_ref();
    if (m_root_proxy) m_root_proxy->drop_ref();
    m_root_proxy = proxy;
    m_root = proxy ? r : nullptr;
}

as_object* player::get_root_movie() const {
    if (m_root_proxy && m_root_proxy->is_alive() && m_root->get_root_movie()) return m_root->get_root_movie();
    return m_root_movie.get_ptr();
}

listener* player::get_advance_listeners() { return get_root_advance_listeners(get_root()); }

listener* player::get_root_advance_listeners(root* r) { return r ? &r->get_advance_listeners() : nullptr; }

int player::get_movie_version() const {
    const bool live = m_root_proxy && m_root_proxy->is_alive();
    return live ? m_root->get_movie_version() : 0;
}

void player::load_into_target(const char* url, int file_type, as_object* target) {
    flash::load_into_target(this, url, file_type, target);
}

bool player::register_exported_class(as_object* target, const bx_string& symbol, as_function* ctor) {
    movie_definition_sub* movie = get_clip_movie(as_character(target));
    character_def* resource = movie ? movie->get_exported_resource(symbol) : nullptr;
    if (!resource) return false;
    if (ctor) resource->set_registered_class(ctor);
    return true;
}

void player::notify_key_event(int key_code, bool down) {
    if (root* r = get_root()) r->notify_key_event(this, key_code, down);
}

void player::set_root_movie(as_object* movie) { m_root_movie = movie; }

void player::verbose_action(bool on) { set_verbose_action(on); }

void player::verbose_parse(bool on) { set_verbose_parse(on); }

bool player::use_separate_thread() { return g_separate_thread; }

void player::set_separate_thread(bool on) { g_separate_thread = on; }

void player::action_init() {
    m_start_time = platform::monotonicMs();
    mark_alive(m_global.get_ptr());
    movie_constructors movie;
    movie.movie_clip = sprite_constructor;
    movie.movie_clip_loader = as_global_mcloader_ctor;
    movie.text_field = edit_text_ctor;
    set_standard_globals(this, m_global.get_ptr(), movie);
}

void player::action_clear() {
    if (g_instance_count == 0) clear_standard_member_map();
}

}  // namespace flash
