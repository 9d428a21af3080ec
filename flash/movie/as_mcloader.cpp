#include "flash/movie/as_mcloader.h"

#include "flash/base/log.h"
#include "flash/movie/load_path.h"
#include "flash/movie/movie_definition.h"
#include "flash/movie/player.h"
#include "flash/movie/target_loader.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/character.h"
#include "flash/runtime/event_id.h"

namespace flash {

namespace {

as_mcloader* this_loader(const fn_call& fn) { return cast_to<as_mcloader>(fn.this_object); }

listener* root_steps(engine_instance* owner) {
    return owner ? owner->get_advance_listeners() : nullptr;
}

}  // namespace

as_mcloader::as_mcloader(engine_instance* owner) : as_object(owner) {
    builtin_member("addListener", as_value(mcloader_add_listener));
    builtin_member("removeListener", as_value(mcloader_remove_listener));
    builtin_member("loadClip", as_value(mcloader_load_clip));
    builtin_member("unloadClip", as_value(mcloader_unload_clip));
    builtin_member("getProgress", as_value(mcloader_get_progress));
}

as_mcloader::~as_mcloader() { m_listeners.clear(); }

void as_mcloader::notify(int event, std::initializer_list<as_value> args) {
    array<as_value> list;
    for (const as_value& arg : args) list.push_back(arg);
    m_listeners.notify(event_id(static_cast<uint8_t>(event), &list));
}

void as_mcloader::join_root() {
    if (listener* steps = root_steps(get_player())) steps->add(this);
}

void as_mcloader::add_pending(movie_definition_sub* def, character* target) {
    pending_load load;
    load.def = def;
    load.target = target;
    m_pending.push_back(load);
    // The listeners hear which clip the movie goes into (null when the target was not found).
    as_value target_value;
    target_value.set_as_object(target);
    notify(event_id::LOAD_START, {target_value});
}

void as_mcloader::advance(float) {
    // Listeners run scripts, which may drop the last reference to the loader.
    as_keep_alive keep(this);
    if (m_pending.size() == 0) {
        if (listener* steps = root_steps(get_player())) steps->remove(this);
        return;
    }
    // Listeners may queue further loads: those wait for the next step, and entries are found
    // again by position after every call.
    const int count = m_pending.size();
    for (int i = 0, seen = 0; seen < count && i < m_pending.size(); ++seen) {
        if (!m_pending[i].placed) {
            character* target = m_pending[i].target.get_ptr();
            character* instance = target ? replace_with_movie(target, m_pending[i].def.get_ptr()) : nullptr;
            if (!instance) {
                // The target died (or cannot hold a movie) before the load completed: the
                // load is dropped and nobody hears of it again.
                if (get_verbose_action()) log_msg("MovieClipLoader: target of a load is gone; load dropped\n");
                m_pending.remove(i);
                continue;
            }
            m_pending[i].placed = true;
            m_pending[i].instance = instance;
            notify(event_id::LOAD_INIT, {as_value(instance)});
            if (i >= m_pending.size()) break;
        }
        // Copied out: the listeners' scripts may queue loads, which moves the entries.
        const smart_ptr<movie_definition_sub> def = m_pending[i].def;
        as_value instance_value;
        instance_value.set_as_object(m_pending[i].instance.get_ptr());
        // A movie is read whole when it is created, so its load completes at its first step; a
        // movie cut short completes too, with fewer bytes loaded than its header promised.
        notify(event_id::LOAD_PROGRESS, {instance_value, as_value(get_movie_bytes_loaded(def.get_ptr())),
                                         as_value(get_movie_bytes_total(def.get_ptr()))});
        notify(event_id::LOAD_COMPLETE, {instance_value});
        if (i < m_pending.size()) m_pending.remove(i);
    }
}

void as_global_mcloader_ctor(const fn_call& fn) {
    fn.result->set_as_object(new as_mcloader(fn.get_player()));
}

void mcloader_add_listener(const fn_call& fn) {
    as_mcloader* loader = this_loader(fn);
    if (!loader || fn.arg_count != 1) {
        fn.result->set_bool(false);
        return;
    }
    if (as_object* object = fn.arg(0).to_object()) loader->get_listeners().add(object);
    loader->join_root();
    fn.result->set_bool(true);
}

void mcloader_remove_listener(const fn_call& fn) {
    as_mcloader* loader = this_loader(fn);
    if (!loader || fn.arg_count != 1) {
        fn.result->set_bool(false);
        return;
    }
    if (as_object* object = fn.arg(0).to_object()) loader->get_listeners().remove(object);
    fn.result->set_bool(true);
}

void mcloader_load_clip(const fn_call& fn) {
    fn.result->set_bool(false);
    as_mcloader* loader = this_loader(fn);
    if (!loader || fn.arg_count != 2) return;
    player* owner = player::from(fn.get_player());
    if (!owner) return;
    as_keep_alive keep(loader);
    const bx_string url = fn.arg(0).to_bx_string();
    bx_string path;
    movie_definition_sub* def = nullptr;
    if (make_load_path(owner->get_workdir(), url.c_str(), &path)) def = owner->create_movie(path.c_str());
    if (!def) {
        if (get_verbose_action()) log_msg("can't create movie from %s\n", url.c_str());
        array<as_value> args;
        args.push_back(as_value("URLNotFound"));
        loader->get_listeners().notify(event_id(event_id::LOAD_ERROR, &args));
        return;
    }
    as_object* from = fn.env ? fn.env->get_target() : nullptr;
    as_object* target = from ? from->find_target(fn.arg(1)) : nullptr;
    // A loader steps with the root as soon as it has work, listeners or not.
    loader->join_root();
    loader->add_pending(def, as_character(target));
    fn.result->set_bool(true);
}

void mcloader_unload_clip(const fn_call& fn) {
    if (!this_loader(fn) || fn.arg_count != 1 || !fn.env) {
        fn.result->set_bool(false);
        return;
    }
    fn.env->load_file("", fn.arg(0));
    fn.result->set_bool(true);
}

void mcloader_get_progress(const fn_call& fn) {
    as_object* clip = fn.arg_count == 1 ? fn.arg(0).to_object() : nullptr;
    if (!this_loader(fn) || !clip || !clip->is(as_object::SPRITE)) {
        fn.result->set_null();
        return;
    }
    movie_definition_sub* def = get_clip_movie(as_character(clip));
    smart_ptr<as_object> progress(new as_object(fn.get_player()));
    progress->set_member("bytesLoaded", as_value(get_movie_bytes_loaded(def)));
    progress->set_member("bytesTotal", as_value(get_movie_bytes_total(def)));
    fn.result->set_as_object(progress.get_ptr());
}

}  // namespace flash
