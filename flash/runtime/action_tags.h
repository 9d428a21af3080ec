#pragma once
// Frame tags: the base of everything a frame of a movie executes, and the DoAction tag with the
// loaders of the DoAction and DoInitAction tags.
#include <cstdint>

#include "flash/base/log.h"
#include "flash/runtime/action_buffer.h"

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

    template <class stream>
    void read(stream* in) {
        m_buffer.read(in);
    }

private:
    action_buffer m_buffer;
};

// DoAction (tag 12). The stream reads bytes (read_u8) and knows its position and the current
// tag's end; the definition adds execute tags to the frame being loaded.
template <class stream, class movie_definition>
void do_action_loader(stream* in, int tag_type, movie_definition* m) {
    if (get_verbose_parse()) log_msg("tag %d: do_action_loader\n", tag_type);
    if (get_verbose_action()) {
        log_msg("-------------- actions in frame %d\n", m->get_loading_frame());
    }
    do_action* da = new do_action;
    da->read(in);
    m->add_execute_tag(da);
}

// DoInitAction (tag 59): the sprite's character id, then its init actions.
template <class stream, class movie_definition>
void do_init_action_loader(stream* in, int tag_type, movie_definition* m) {
    const int sprite_id = in->read_u16();
    if (get_verbose_parse()) log_msg("  tag %d: do_init_action_loader\n", tag_type);
    if (get_verbose_action()) log_msg("  -- init actions for sprite %d\n", sprite_id);
    do_action* da = new do_action;
    da->read(in);
    m->add_init_action(sprite_id, da);
}

// A movie stream over a span of bytes, for the tag loaders of action tags: reads past the end
// give 0 and leave the position at the end.
class byte_span_stream {
public:
    byte_span_stream(const uint8_t* data, int size, int tag_end = -1)
        : m_data(data), m_size(data && size > 0 ? size : 0),
          m_tag_end(tag_end < 0 || tag_end > m_size ? m_size : tag_end) {}

    uint8_t read_u8() { return m_pos < m_size ? m_data[m_pos++] : 0; }
    uint16_t read_u16() {
        const int low = read_u8();
        return static_cast<uint16_t>(low | (read_u8() << 8));
    }
    int get_position() const { return m_pos; }
    int get_tag_end_position() const { return m_tag_end; }

private:
    const uint8_t* m_data;
    int m_size;
    int m_tag_end;
    int m_pos = 0;
};

}  // namespace flash
