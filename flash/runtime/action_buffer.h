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
#include "flash/runtime/as_environment.h"
#include "flash/runtime/interpreter_rules.h"
#include "flash/swf/action_record.h"

namespace flash {

class as_value;
class swf_stream;

// What the last plain read or write of a variable or member at one action found: the object
// (the target, for a variable) and the index of the name in its member table. A later run on the
// same object takes the member from that index while the table kept its layout and the entry
// there holds the name, as long as nothing that comes before own members in a lookup changed
// (member_lookup_version). Failed attempts are counted so that a name that is never an own
// member, or code run for many objects in turn, stops being looked for.
struct member_cache {
    weak_ptr<as_object> object;
    int index = -1;
    uint32_t lookup_version = 0;
    // The member table's layout version when the index was taken.
    uint32_t layout_version = 0;
    int misses = 0;
};

// One Push record as prepared on its first run: its texts as names (text_count of them from
// push_names[text_first], in order up to the first one cut short), and, when every item is a
// constant or a pool entry of the running dictionary and nothing is cut short, all its values
// (value_count from push_values[value_first]). constant: no item is a pool entry.
struct push_record {
    int text_first = 0;
    int text_count = 0;
    int value_first = 0;
    int value_count = 0;
    bool constant = false;
    // A constant record whose last item is a text (or a pool entry), followed by a GetVariable,
    // GetMember or CallFunction: that action's code, else 0.
    uint8_t then_reads_name = 0;
    // Whether that is a GetVariable or CallFunction of a name without a path.
    bool reads_plain_name = false;
    // A constant record whose last value is a number, followed by an arithmetic or comparison
    // action that two numbers take straight (operates_on_numbers), or whose GetVariable after
    // it is followed by one: that action's code, else 0.
    uint8_t then_operates = 0;
    // With a GetVariable after it: when a Push record of one number stands between the
    // GetVariable and its then_operates action (i < 10), that number, taken instead of the value
    // below, and the offset of the action from the GetVariable (0: no such record).
    double then_operand = 0.0;
    int then_operates_at = 0;
    // A record of one plain name twice whose GetVariable is followed by an Increment or a
    // Decrement, or by that Push of one number and arithmetic, and then by the SetVariable of the
    // name (name++, name = name + 1): the offset of that SetVariable from the GetVariable (0:
    // none), and the Increment or Decrement code (0: the arithmetic).
    int then_stores_at = 0;
    uint8_t then_steps = 0;
    // A record whose items are all constants but pool entries: the dictionary they were taken
    // from (0: none). It runs from its values only under that one; constant is false for it.
    uint32_t dictionary_id = 0;
    // The member cache of the read after it.
    member_cache cache;
    // With a CallFunction after it: the function it last called, a function without an own
    // "__constructor__" while its member table keeps callee_layout.
    weak_ptr<as_object> callee;
    uint32_t callee_layout = 0;
};

// The prepared texts of a Push record, for reading it from its bytes (the constant records run
// from their push_record).
struct push_view {
    const bx_string* texts = nullptr;
    int text_count = 0;
};

// A byte buffer shared by counted references, with its Push records prepared the first time each
// runs: every later run copies their values, texts with their name hash, instead of reading and
// hashing the bytes again. The bytes are only ever appended to, so a record stays valid.
class counted_buffer : public membuf, public ref_counted {
public:
    // Per byte offset: 1 + the index of what was prepared for the action there (0: nothing yet):
    // in push_records for a Push, in member_caches for a GetVariable, SetVariable or SetMember
    // (a Push record holds the cache of the read after it).
    array<int32_t> record_index;
    array<push_record> push_records;
    array<bx_string> push_names;
    array<as_value> push_values;
    array<member_cache> member_caches;
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
    // The Push record at pc as prepared by its first run; null before.
    push_record* find_push_record(int pc) {
        counted_buffer& store = *m_buffer;
        if (pc < 0 || pc >= store.record_index.size()) return nullptr;
        const int record = store.record_index[pc];
        return record > 0 ? &store.push_records[record - 1] : nullptr;
    }
    // The prepared Push record at pc whose payload (payload_length bytes after the record
    // header) lies inside the buffer; empty when it could not be prepared.
    push_view get_push_record(int pc, int payload_length) {
        counted_buffer& store = *m_buffer;
        if (pc >= 0 && pc < store.record_index.size()) {
            const int record = store.record_index[pc];
            if (record > 0) return view_of(store.push_records[record - 1]);
        }
        return prepare_push_record(pc, payload_length);
    }
    int get_decl_dict_processed_at() const { return m_decl_dict_processed_at; }

    // Member caches are found by a key: the pc of a GetVariable, SetVariable or SetMember (0 or
    // more), or the Push record whose name the GetVariable or GetMember after it reads (below 0):
    // that name never changes.
    static int cache_key_of_push(int push_record) { return -1 - push_record; }
    static bool cache_key_has_fixed_name(int key) { return key < 0; }
    // The member cache of a key; null when there is none yet. Inline: every cached write of a
    // variable or member asks it.
    [[gnu::always_inline]] member_cache* find_member_cache(int key) {
        counted_buffer& store = *m_buffer;
        int index = 0;
        if (key >= 0) {
            if (key >= store.record_index.size()) return nullptr;
            index = store.record_index[key];
        } else {
            const int record = -1 - key;
            return record < store.push_records.size() ? &store.push_records[record].cache : nullptr;
        }
        return index > 0 ? &store.member_caches[index - 1] : nullptr;
    }
    // The same, made when missing (null when memory is refused). The pointer lasts until the next
    // cache is made: scripts that run in between may make one.
    member_cache* make_member_cache(int key);

private:
    push_view prepare_push_record(int pc, int payload_length);
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
