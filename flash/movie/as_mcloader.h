#pragma once
// The script "MovieClipLoader": loads a movie file into a target clip and tells its listeners of
// each step (start, init once the first frame is there, progress on every root step, complete,
// or an error when the file is missing). It steps with the current root's advance listeners
// while loads are pending.
#include "flash/base/array.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/listener.h"

namespace flash {

class character;
class movie_definition_sub;

class as_mcloader : public as_object {
public:
    static constexpr int cast_class_id = MOVIE_CLIP_LOADER;

    explicit as_mcloader(engine_instance* owner);
    ~as_mcloader() override;

    bool is(int class_id) const override { return class_id == MOVIE_CLIP_LOADER || class_id == OBJECT; }

    void advance(float delta) override;

    listener& get_listeners() { return m_listeners; }
    // Queues a load of def into target (null when the target is not a character) and tells the
    // listeners that it started.
    void add_pending(movie_definition_sub* def, character* target);
    int get_pending_count() const { return m_pending.size(); }
    // Steps with the current root from now on.
    void join_root();

private:
    struct pending_load {
        smart_ptr<movie_definition_sub> def;
        weak_ptr<character> target;
        weak_ptr<character> instance;
        bool placed = false;
    };

    void notify(int event, std::initializer_list<as_value> args);

    listener m_listeners;
    array<pending_load> m_pending;
};

// "MovieClipLoader"(): a new loader.
void as_global_mcloader_ctor(const fn_call& fn);
void mcloader_add_listener(const fn_call& fn);
void mcloader_remove_listener(const fn_call& fn);
void mcloader_load_clip(const fn_call& fn);
void mcloader_unload_clip(const fn_call& fn);
void mcloader_get_progress(const fn_call& fn);

}  // namespace flash
