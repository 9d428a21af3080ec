#pragma once
// The characters a sprite shows, sorted by ascending depth. Timeline tags add, move, replace and
// remove through it; scripts duplicate, re-depth and swap; the sprite advances and draws its
// children through it.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/character.h"
#include "flash/shape/geometry.h"

namespace flash {

// Run-time objects get depths from here up.
constexpr int lowest_dynamic_depth = 16384;

class display_list {
public:
    // Index of the first object whose depth is not below depth; the size when all are below.
    int find_display_index(int depth) const;

    void add_display_object(character* ch, int depth, bool replace_if_depth_is_occupied,
                            const cxform& cx, const matrix& m, float ratio, uint16_t clip_depth);
    void move_display_object(int depth, bool use_cxform, const cxform& cx, bool use_matrix,
                             const matrix& m, float ratio, uint16_t clip_depth);
    void replace_display_object(character* ch, int depth, bool use_cxform, const cxform& cx,
                                bool use_matrix, const matrix& m, float ratio,
                                uint16_t clip_depth);
    // With id -1 the first object at depth goes; otherwise the one at depth with that id.
    void remove_display_object(int depth, int id);
    void remove_character(character* ch);
    void remove_display_object_at(int index);
    void clear();
    // Removes every object whose depth is not listed (a jump back to an earlier frame).
    void clear_unaffected(const array<int>& kept_depths);
    void set_character_depth(character* ch, int depth);
    void swap_characters(character* a, character* b);
    int get_next_highest_depth() const;

    // Exact, case-sensitive, in depth order. With a list, every match is appended (every object
    // for an empty name) and the result is null.
    character* get_character_by_name(const bx_string& name, bool recursive,
                                     array<character*>* found = nullptr) const;
    character* get_character_by_name_i(const bx_stringi& name) const;

    // Every object of a copy of the list advances, so removals during the pass finish their step.
    void advance(float dt);
    void display();
    void clear_refs(hash<as_object*, bool>* visited);
    void dump() const;

    int size() const { return m_list.size(); }
    character* get_character(int index) const;

private:
    void insert_at(int index, character* ch);

    array<smart_ptr<character>> m_list;
};

}  // namespace flash
