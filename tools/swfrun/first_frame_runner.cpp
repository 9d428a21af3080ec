#include "first_frame_runner.h"

#include <vector>

#include "flash/base/smart_ptr.h"
#include "flash/movie/movie_def_impl.h"
#include "flash/runtime/action_buffer.h"
#include "flash/runtime/action_tags.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/character.h"

namespace swfrun {

namespace {

// The root movie: collects the action buffers its frame tags hand it.
class root_clip : public flash::character {
public:
    using flash::character::character;
    void add_action_buffer(flash::action_buffer* buffer) override { m_queue.push_back(buffer); }
    std::vector<flash::action_buffer*> m_queue;
};

void queue_tags(const flash::array<flash::execute_tag*>* tags, root_clip* clip) {
    if (!tags) return;
    for (flash::execute_tag* tag : *tags) tag->execute(clip);
}

}  // namespace

void run_first_frame(flash::player* owner, flash::movie_definition_sub* def, bool (*stop)()) {
    flash::smart_ptr<root_clip> clip(new root_clip(owner));
    owner->set_root_movie(clip.get_ptr());
    {
        flash::as_environment env(owner);
        env.set_target(clip.get_ptr());
        if (def->is(flash::character_def::MOVIE_DEF_IMPL)) {
            static_cast<flash::movie_def_impl*>(def)->run_as3_entry(clip.get_ptr());
        }
        queue_tags(def->get_init_actions(0), clip.get_ptr());
        queue_tags(def->get_playlist(0), clip.get_ptr());
        for (flash::action_buffer* buffer : clip->m_queue) {
            if (stop()) break;
            buffer->execute(&env);
        }
        env.set_stack_size(0);
        env.set_target(nullptr);
    }
    owner->set_root_movie(nullptr);
    owner->clear_heap();
}

}  // namespace swfrun
