#pragma once
// The display-list frame tags: PlaceObject 1/2/3 with their clip actions and RemoveObject 1/2,
// as read from a movie, run on a sprite, and undone when the sprite goes back over their frame.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/runtime/event_id.h"
#include "flash/runtime/action_tags.h"
#include "flash/runtime/as_value.h"
#include "flash/shape/geometry.h"
#include "flash/swf/display_list_records.h"

namespace flash {

class engine_instance;
class movie_definition_sub;
class swf_stream;

// One clip action: the event and a script function over the record's actions.
struct swf_event {
    event_id m_event;
    as_value m_method;
};

class place_object_2 : public execute_tag {
public:
    enum place_type { PLACE = 0, MOVE = 1, REPLACE = 2 };

    ~place_object_2() override;

    // From a tag 4, 26 or 70 record; the clip actions become script functions of the player.
    void set(const swf_place_object& record, engine_instance* player);
    void execute(character* sprite) override;
    void apply_state(character* sprite) override { execute(sprite); }
    void reverse_state(character* sprite, int frame) override;
    uint32_t get_depth_id_key() const override;

    int m_tag_type = 0;
    bx_string m_name;
    float m_ratio = 0.0f;
    cxform m_color_transform;
    matrix m_matrix;
    uint8_t m_has_matrix = 0;
    uint8_t m_has_cxform = 0;
    int m_depth = 0;
    uint16_t m_character_id = 0;
    uint16_t m_clip_depth = 0;
    int m_place_type = PLACE;
    array<swf_event*> m_event_handlers;
};

class remove_object_2 : public execute_tag {
public:
    void set(const swf_remove_object& record);
    void execute(character* sprite) override;
    void apply_state(character* sprite) override { execute(sprite); }
    void reverse_state(character* sprite, int frame) override;
    bool is_remove_tag() const override { return true; }

    int m_depth = -1;
    int m_id = -1;
};

// The event id of each clip-event flag bit, in record order.
extern const uint8_t clip_event_ids[clip_event_count];

void place_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m);
void remove_object_loader(swf_stream* in, int tag_type, movie_definition_sub* m);

}  // namespace flash
