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

int get_standard_member(const bx_stringi& name) {
    if (!g_standard_members) {
        g_standard_members = new stringi_hash<int>();
        g_standard_members->resize(AS_STANDARD_MEMBER_COUNT);
        for (int i = 0; i < AS_STANDARD_MEMBER_COUNT; ++i) {
            g_standard_members->add(standard_member_names[i], i);
        }
    }
    int id = M_INVALID_MEMBER;
    g_standard_members->get(name, &id);
    return id;
}

const char* get_standard_member_name(int id) {
    return id >= 0 && id < AS_STANDARD_MEMBER_COUNT ? standard_member_names[id] : nullptr;
}

void clear_standard_member_map() {
    delete g_standard_members;
    g_standard_members = nullptr;
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
