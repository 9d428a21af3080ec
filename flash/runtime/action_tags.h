#pragma once
// Frame tags: the base of everything a frame of a movie executes, and the DoAction tag with the
// loaders of the DoAction and DoInitAction tags.
#include <cstdint>

#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"
#include "flash/swf/swf_stream.h"

namespace flash {

class character;

class execute_tag {
public:
    virtual ~execute_tag() = default;
    virtual void execute(character* /*sprite*/) {}
    virtual void apply_state(character* /*sprite*/) {}
    virtual void reverse_state(character* sprite, int /*frame*/) { apply_state(sprite); }
    virtual bool is_remove_tag() const { return false; }
    virtual bool is_action_tag() const { return false; }
    // The depth and character id that a place or replace tag occupies; -1 for the others.
    virtual uint32_t get_depth_id_key() const { return static_cast<uint32_t>(-1); }
};

// The actions of one frame: handed to the sprite's action queue when the frame executes.
class do_action : public execute_tag {
public:
    void execute(character* sprite) override;
    bool is_action_tag() const override { return true; }

    action_buffer& get_buffer() { return m_buffer; }

    // Up to the End code or the end of the stream's current tag.
    void read(swf_stream* in) { m_buffer.read(in); }

private:
    action_buffer m_buffer;
};

// DoAction (tag 12); the definition adds execute tags to the frame being loaded.
template <class movie_definition>
void do_action_loader(swf_stream* in, int tag_type, movie_definition* m) {
    if (get_verbose_parse()) log_msg("tag %d: do_action_loader\n", tag_type);
    if (get_verbose_action()) {
        log_msg("-------------- actions in frame %d\n", m->get_loading_frame());
    }
    do_action* da = new do_action;
    da->read(in);
    m->add_execute_tag(da);
}

// DoInitAction (tag 59): the sprite's character id, then its init actions.
template <class movie_definition>
void do_init_action_loader(swf_stream* in, int tag_type, movie_definition* m) {
    const int sprite_id = in->read_u16();
    if (get_verbose_parse()) log_msg("  tag %d: do_init_action_loader\n", tag_type);
    if (get_verbose_action()) log_msg("  -- init actions for sprite %d\n", sprite_id);
    do_action* da = new do_action;
    da->read(in);
    m->add_init_action(sprite_id, da);
}

}  // namespace flash
