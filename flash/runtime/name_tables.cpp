#include "flash/runtime/name_tables.h"

#include "flash/base/hash.h"
#include "flash/base/log.h"
#include "flash/runtime/as_object.h"

namespace flash {

namespace {

const char* const standard_member_names[AS_STANDARD_MEMBER_COUNT] = {
    "_x",           "_y",         "_xscale",       "_yscale",      "_currentframe",
    "_totalframes", "_alpha",     "_visible",      "_width",       "_height",
    "_rotation",    "_target",    "_framesloaded", "_name",        "_droptarget",
    "_url",         "_highquality", "_focusrect",  "_soundbuftime", "_xmouse",
    "_ymouse",      "_parent",    "text",          "textWidth",    "textColor",
    "border",       "multiline",  "wordWrap",      "type",         "backgroundColor",
    "_this",        "this",       "_root",         ".",            "..",
    "_level0",      "_global",    "enabled",
};

const char* const property_names[PROPERTY_COUNT] = {
    "_x",           "_y",           "_xscale",    "_yscale",       "_currentframe",
    "_totalframes", "_alpha",       "_visible",   "_width",        "_height",
    "_rotation",    "_target",      "_framesloaded", "_name",      "_droptarget",
    "_url",         "_highquality", "_focusrect", "_soundbuftime", "@@ mystery quality member",
    "_xmouse",      "_ymouse",
};

const char* const event_handler_names[event_id::EVENT_COUNT] = {
    "INVALID",        "onPress",       "onRelease",      "onRelease_Outside", "onRoll_Over",
    "onRoll_Out",     "onDrag_Over",   "onDrag_Out",     "",                  "onKeyPress",
    "onInitialize",   "onLoad",        "onUnload",       "onEnterFrame",      "onMouseDown",
    "onMouseUp",      "onMouseMove",   "onKeyDown",      "onKeyUp",           "onData",
    "onConstruct",    "onSetFocus",    "onKillFocus",    "onLoadComplete",    "onLoadError",
    "onLoadInit",     "onLoadProgress", "onLoadStart",   "onSoundComplete",
};

const char* const button_like_names[BUTTON_LIKE_NAME_COUNT] = {
    "onKeyPress", "onRelease",        "onDragOver", "onDragOut",
    "onPress",    "onReleaseOutside", "onRollout",  "onRollover",
};

const char* const text_format_keys[TEXT_FORMAT_KEY_COUNT] = {
    "font", "size",   "color",       "bold",         "italic", "underline", "url",
    "target", "align", "leftMargin", "rightMargin", "indent", "leading",
};

// Built on the first lookup, emptied when the last engine instance ends.
stringi_hash<int>* g_standard_members = nullptr;

}  // namespace

uint64_t g_standard_member_name_bits[standard_member_bit_words] = {
    ~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}, ~uint64_t{0}};

namespace {

void set_standard_member_bits(uint64_t value) {
    for (uint64_t& word : g_standard_member_name_bits) word = value;
}

void add_standard_member_bit(uint32_t part) {
    constexpr uint32_t word_shift = 6;
    constexpr uint32_t bit_mask = 63;
    part &= standard_member_bit_words * 64 - 1;
    g_standard_member_name_bits[part >> word_shift] |= uint64_t{1} << (part & bit_mask);
}

}  // namespace

int find_standard_member(const bx_stringi& name, uint32_t name_hash) {
    if (!g_standard_members) {
        g_standard_members = new stringi_hash<int>();
        g_standard_members->resize(AS_STANDARD_MEMBER_COUNT);
        set_standard_member_bits(0);
        for (int i = 0; i < AS_STANDARD_MEMBER_COUNT; ++i) {
            const bx_stringi key(standard_member_names[i]);
            g_standard_members->add(key, i);
            const uint32_t spread = stringi_hash<int>::key_hash(key) * standard_member_spread;
            add_standard_member_bit(spread >> standard_member_first_shift);
            add_standard_member_bit(spread >> standard_member_second_shift);
        }
    }
    const int index = g_standard_members->find_index(name, name_hash);
    return index >= 0 ? g_standard_members->entry_at(index).value() : M_INVALID_MEMBER;
}

const char* get_standard_member_name(int id) {
    return id >= 0 && id < AS_STANDARD_MEMBER_COUNT ? standard_member_names[id] : nullptr;
}

void clear_standard_member_map() {
    delete g_standard_members;
    g_standard_members = nullptr;
    set_standard_member_bits(~uint64_t{0});
}

const char* get_property_name(int property_number) {
    return property_number >= 0 && property_number < PROPERTY_COUNT
               ? property_names[property_number]
               : nullptr;
}

void get_property(as_object* target, int property_number, as_value* out) {
    if (property_number < 0 || property_number >= PROPERTY_COUNT) {
        log_error("error: invalid property query, property number %d\n", property_number);
        if (out) out->set_undefined();
        return;
    }
    if (!target) return;
    as_value v;
    if (target->get_member(property_names[property_number], &v) && out) *out = v;
}

void set_property(as_object* target, int property_number, const as_value& value) {
    if (property_number < 0 || property_number >= PROPERTY_COUNT) {
        log_error("error: invalid set_property, property number %d\n", property_number);
        return;
    }
    if (target) target->set_member(property_names[property_number], value);
}

namespace {

// Each table is converted to engine strings once, on first use; an index outside it yields an
// empty name rather than reading past the end. The source table itself is the template argument so
// two tables of the same length never share one converted copy.
template <typename String, int Count, const char* const (&Source)[Count]>
const String& table_entry(int index) {
    static const struct table {
        String names[Count];
        String empty;
        table() {
            for (int i = 0; i < Count; ++i) names[i] = Source[i];
        }
    } t;
    if (index < 0 || index >= Count) return t.empty;
    return t.names[index];
}

}  // namespace

const bx_string& get_function_name(int id) {
    return table_entry<bx_string, event_id::EVENT_COUNT, event_handler_names>(id);
}

const bx_string& get_function_name(const event_id& event) { return get_function_name(event.m_id); }

const bx_stringi& get_button_like_name(int index) {
    return table_entry<bx_stringi, BUTTON_LIKE_NAME_COUNT, button_like_names>(index);
}

const bx_stringi& get_text_format_key(int index) {
    return table_entry<bx_stringi, TEXT_FORMAT_KEY_COUNT, text_format_keys>(index);
}

const bx_stringi& get_constructor_name() {
    static const bx_stringi name("__constructor__");
    return name;
}

}  // namespace flash
