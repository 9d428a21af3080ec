#pragma once
// The ActionScript 1/2 byte code of one DoAction, DoInitAction, clip-event or button-action record,
// with the constant pool its code declares. The bytes live in a shared counted store, so script
// functions defined in the code keep them alive after the tag that brought them is gone.
#include <cstdint>

#include "flash/base/array.h"
#include "flash/base/bx_string.h"
#include "flash/base/membuf.h"
#include "flash/base/ref_counted.h"
#include "flash/base/smart_ptr.h"
#include "flash/runtime/action_codes.h"
#include "flash/runtime/action_step.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/interpreter_rules.h"
#include "flash/swf/action_record.h"

namespace flash {

class as_value;
class swf_stream;

// The prepared texts of a Push record, for reading it from its bytes (the constant records run
// from their push_record).
struct push_view {
    const bx_string* texts = nullptr;
    int text_count = 0;
};

// A byte buffer shared by counted references, with its records prepared into steps the first
// time each runs (action_step.h): every later run reads what the step settled, and a Push
// copies its prepared values, texts with their name hash, instead of reading and hashing the
// bytes again. The bytes are only ever appended to, so a step stays valid.
class counted_buffer : public membuf, public ref_counted {
public:
    // Per byte offset: 1 + the index in steps of the record prepared there (0: nothing yet).
    array<int32_t> record_index;
    array<action_step> steps;
    array<push_record> push_records;
    array<bx_string> push_names;
    array<as_value> push_values;
};

class action_buffer {
public:
    action_buffer();
    // Copies share the byte store and copy the dictionary and its position.
    action_buffer(const action_buffer& other) = default;
    action_buffer& operator=(const action_buffer& other) = default;
    ~action_buffer() = default;

    // Appends the action records of bytes[0, length), up to and including an End code. Without an
    // End code the records are read to length; a record cut short there is dropped and logged.
    // Returns the number of bytes taken.
    int read(const uint8_t* bytes, int length);

    // The same over a movie stream, taking at most length bytes and none past an End code, as
    // the stream's reader of action records takes them (flash/swf/action_bytes.h).
    int read(swf_stream* in, int length);
    // Up to the End code or the end of the stream's current tag.
    int read(swf_stream* in);

    // Runs the whole buffer: no result slot, an empty with stack, not a function2 body.
    void execute(as_environment* env);
    // Runs the records from start_pc while pc < start_pc + exec_bytes. retval may be null.
    void execute(as_environment* env, int start_pc, int exec_bytes, as_value* retval,
                 const array<with_scope>& initial_with_stack, bool is_function2);

    // Fills the dictionary from the ConstantPool record at start_pc (once per buffer).
    void process_decl_dict(int start_pc, int stop_pc);

    int get_length() const { return m_buffer ? m_buffer->size() : 0; }
    const uint8_t* get_bytes() const {
        return m_buffer ? static_cast<const uint8_t*>(m_buffer->data()) : nullptr;
    }
    const counted_buffer* get_store() const { return m_buffer.get_ptr(); }
    const array<bx_string>& get_dictionary() const { return m_dictionary; }
    // A number for the dictionary's entries, shared by the copies made after the ConstantPool
    // filled it (0: never filled).
    uint32_t get_dictionary_id() const { return m_dictionary_id; }
    // The step of the record at pc; null before it is prepared. Inline: the loop asks it for
    // every record it runs.
    [[gnu::always_inline]] action_step* find_step(int pc) {
        counted_buffer& store = *m_buffer;
        if (static_cast<unsigned>(pc) >= static_cast<unsigned>(store.record_index.size())) {
            return nullptr;
        }
        const int step = store.record_index[pc];
        return step > 0 ? &store.steps[step - 1] : nullptr;
    }
    // The same, prepared when missing; null when the record at pc does not lie whole inside the
    // buffer or memory is refused. The pointer lasts until the next step is prepared: scripts
    // run by the program may prepare some.
    action_step* prepare_step(int pc);
    push_record& get_push_record(int index) { return m_buffer->push_records[index]; }
    // The prepared texts of the Push record of a step (none when it could not be prepared).
    push_view push_view_of(const action_step& step) const {
        return step.push >= 0 ? view_of(m_buffer->push_records[step.push]) : push_view();
    }
    int get_decl_dict_processed_at() const { return m_decl_dict_processed_at; }

    // Member caches are found by a key: the pc of a GetVariable, SetVariable, SetMember or
    // CallFunction (0 or more), or, below 0, that of the Push record whose name the action after
    // it reads (that name never changes). Each lives in its step.
    static int cache_key_of_push(int push_pc) { return -1 - push_pc; }
    static bool cache_key_has_fixed_name(int key) { return key < 0; }
    // The member cache of a key; null when its step is not prepared. Inline: every cached write
    // of a variable or member asks it.
    [[gnu::always_inline]] member_cache* find_member_cache(int key) {
        action_step* step = find_step(key >= 0 ? key : -1 - key);
        return step ? &step->cache : nullptr;
    }
    // The same, its step prepared when missing (null when it cannot be). The pointer lasts until
    // the next step is prepared.
    member_cache* make_member_cache(int key) {
        action_step* step = prepare_step(key >= 0 ? key : -1 - key);
        return step ? &step->cache : nullptr;
    }

private:
    // Prepares the Push record at pc; its index in push_records, or -1 when it cannot be.
    int prepare_push_record(int pc, int payload_length);
    push_view view_of(const push_record& record) const {
        const counted_buffer& store = *m_buffer;
        push_view view;
        view.text_count = record.text_count;
        if (record.text_count > 0) view.texts = &store.push_names[record.text_first];
        return view;
    }

    smart_ptr<counted_buffer> m_buffer;
    array<bx_string> m_dictionary;
    uint32_t m_dictionary_id = 0;
    int m_decl_dict_processed_at = -1;
};

}  // namespace flash
