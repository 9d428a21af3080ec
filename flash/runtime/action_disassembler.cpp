#include "flash/runtime/action_disassembler.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "flash/base/bx_string.h"
#include "flash/base/log.h"
#include "flash/base/byte_cursor.h"
#include "flash/runtime/action_codes.h"
#include "flash/swf/action_record.h"

namespace flash {

namespace {

// Argument formats of the listing.
enum arg_format {
    ARG_NONE = 0,
    ARG_STR = 1,
    ARG_HEX = 2,
    ARG_U8 = 3,
    ARG_U16 = 4,
    ARG_S16 = 5,
    ARG_PUSH_DATA = 6,
    ARG_DECL_DICT = 7,
    ARG_FUNCTION2 = 8,
};

struct action_info {
    int code;
    const char* name;
    int format;
};

const action_info s_action_table[] = {
    {action::NEXT_FRAME, "next_frame", ARG_NONE},     {action::PREV_FRAME, "prev_frame", ARG_NONE},
    {action::PLAY, "play", ARG_NONE},           {action::STOP, "stop", ARG_NONE},
    {action::TOGGLE_QUALITY, "toggle_qlty", ARG_NONE},    {action::STOP_SOUNDS, "stop_sounds", ARG_NONE},
    {action::ADD, "add", ARG_NONE},            {action::SUBTRACT, "sub", ARG_NONE},
    {action::MULTIPLY, "mul", ARG_NONE},            {action::DIVIDE, "div", ARG_NONE},
    {action::EQUALS, "equ", ARG_NONE},            {action::LESS, "lt", ARG_NONE},
    {action::AND, "and", ARG_NONE},            {action::OR, "or", ARG_NONE},
    {action::NOT, "not", ARG_NONE},            {action::STRING_EQUALS, "str_eq", ARG_NONE},
    {action::STRING_LENGTH, "str_len", ARG_NONE},        {action::STRING_EXTRACT, "substr", ARG_NONE},
    {action::POP, "pop", ARG_NONE},            {action::TO_INTEGER, "floor", ARG_NONE},
    {action::GET_VARIABLE, "get_var", ARG_NONE},        {action::SET_VARIABLE, "set_var", ARG_NONE},
    {action::SET_TARGET2, "set_target_exp", ARG_NONE}, {action::STRING_ADD, "str_cat", ARG_NONE},
    {action::GET_PROPERTY, "get_prop", ARG_NONE},       {action::SET_PROPERTY, "set_prop", ARG_NONE},
    {action::CLONE_SPRITE, "dup_sprite", ARG_NONE},     {action::REMOVE_SPRITE, "rem_sprite", ARG_NONE},
    {action::TRACE, "trace", ARG_NONE},          {action::START_DRAG, "start_drag", ARG_NONE},
    {action::END_DRAG, "stop_drag", ARG_NONE},      {action::STRING_LESS, "str_lt", ARG_NONE},
    {action::CAST_OP, "cast_object", ARG_NONE},    {action::RANDOM_NUMBER, "random", ARG_NONE},
    {action::MB_STRING_LENGTH, "mb_length", ARG_NONE},      {action::CHAR_TO_ASCII, "ord", ARG_NONE},
    {action::ASCII_TO_CHAR, "chr", ARG_NONE},            {action::GET_TIME, "get_timer", ARG_NONE},
    {action::MB_STRING_EXTRACT, "substr_mb", ARG_NONE},      {action::MB_ASCII_TO_CHAR, "ord_mb", ARG_NONE},
    {action::MB_CHAR_TO_ASCII, "chr_mb", ARG_NONE},         {action::DELETE, "delete", ARG_NONE},
    {action::DELETE2, "delete_all", ARG_NONE},     {action::DEFINE_LOCAL, "set_local", ARG_NONE},
    {action::CALL_FUNCTION, "call_func", ARG_NONE},      {action::RETURN, "return", ARG_NONE},
    {action::MODULO, "mod", ARG_NONE},            {action::NEW_OBJECT, "new", ARG_NONE},
    {action::DEFINE_LOCAL2, "decl_local", ARG_NONE},     {action::INIT_ARRAY, "decl_array", ARG_NONE},
    {action::INIT_OBJECT, "decl_obj", ARG_NONE},       {action::TYPE_OF, "type_of", ARG_NONE},
    {action::TARGET_PATH, "get_target", ARG_NONE},     {action::ENUMERATE, "enumerate", ARG_NONE},
    {action::ADD2, "add_t", ARG_NONE},          {action::LESS2, "lt_t", ARG_NONE},
    {action::EQUALS2, "eq_t", ARG_NONE},           {action::TO_NUMBER, "number", ARG_NONE},
    {action::TO_STRING, "string", ARG_NONE},         {action::PUSH_DUPLICATE, "dup", ARG_NONE},
    {action::STACK_SWAP, "swap", ARG_NONE},           {action::GET_MEMBER, "get_member", ARG_NONE},
    {action::SET_MEMBER, "set_member", ARG_NONE},     {action::INCREMENT, "inc", ARG_NONE},
    {action::DECREMENT, "dec", ARG_NONE},            {action::CALL_METHOD, "call_method", ARG_NONE},
    {action::NEW_METHOD, "new_method", ARG_NONE},     {action::INSTANCE_OF, "is_inst_of", ARG_NONE},
    {action::ENUMERATE2, "enum_object", ARG_NONE},    {action::BIT_AND, "bit_and", ARG_NONE},
    {action::BIT_OR, "bit_or", ARG_NONE},         {action::BIT_XOR, "bit_xor", ARG_NONE},
    {action::BIT_LSHIFT, "shl", ARG_NONE},            {action::BIT_RSHIFT, "asr", ARG_NONE},
    {action::BIT_URSHIFT, "lsr", ARG_NONE},            {action::STRICT_EQUALS, "eq_strict", ARG_NONE},
    {action::GREATER, "gt_t", ARG_NONE},           {action::STRING_GREATER, "gt_str", ARG_NONE},
    {action::EXTENDS, "extends", ARG_NONE},        {action::GOTO_FRAME, "goto_frame", ARG_U16},
    {action::GET_URL, "get_url", ARG_STR},         {action::STORE_REGISTER, "store_register", ARG_U8},
    {action::CONSTANT_POOL, "decl_dict", ARG_DECL_DICT}, {action::WAIT_FOR_FRAME, "wait_for_frame", ARG_HEX},
    {action::SET_TARGET, "set_target", ARG_STR},      {action::GOTO_LABEL, "goto_frame_lbl", ARG_STR},
    {action::WAIT_FOR_FRAME2, "wait_for_fr_exp", ARG_HEX}, {action::DEFINE_FUNCTION2, "function2", ARG_FUNCTION2},
    {action::WITH, "with", ARG_U16},            {action::PUSH, "push_data", ARG_PUSH_DATA},
    {action::JUMP, "goto", ARG_S16},            {action::GET_URL2, "get_url2", ARG_HEX},
    {action::DEFINE_FUNCTION, "func", ARG_HEX},            {action::IF, "branch_if_true", ARG_S16},
    {action::CALL, "call_frame", ARG_HEX},      {action::GOTO_FRAME2, "goto_frame_exp", ARG_HEX},
    {action::END, "<end>", ARG_NONE},
};

const action_info* find_action(int code) {
    const action_info* found = nullptr;
    for (const action_info& info : s_action_table) {
        if (info.code == code) found = &info;
    }
    return found;
}

const char* const s_length_exceeded = "<disasm error -- length exceeded>\n";

// Collects the listing and hands it to the log in pieces that fit its message buffer.
class listing {
public:
    void add(const char* text) { m_text += text; }
    void addf(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        char buffer[128];
        va_list args;
        va_start(args, format);
        std::vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
        m_text += buffer;
    }
    void add_char(char c) { m_text += c; }
    // A NUL-terminated text of the payload between quotes; false when it runs past the end,
    // after the bytes up to there.
    bool add_quoted(byte_cursor& in) {
        const int start = in.position();
        int length = 0;
        const char* text = in.c_string(&length);
        if (in.failed()) {
            add_cut_text(in, start);
            return false;
        }
        m_text += '"';
        m_text += bx_string(text, length);
        add("\"\n");
        return true;
    }
    // An opening quote and the bytes of a text from start to the end of the payload.
    void add_cut_text(const byte_cursor& in, int start) {
        m_text += '"';
        for (int i = start; i < in.size(); ++i) add_char(static_cast<char>(in.data()[i]));
    }
    ~listing() {
        const char* text = m_text.c_str();
        int left = m_text.size();
        constexpr int piece = log_buffer_size - 100;
        while (left > 0) {
            const int n = left < piece ? left : piece;
            log_msg("%.*s", n, text);
            text += n;
            left -= n;
        }
    }

private:
    bx_string m_text;
};

// Returns false when an item runs past the payload.
bool list_push_data(listing& out, byte_cursor& in) {
    push_item item;
    int item_start = in.position();
    while (read_push_item(in, &item)) {
        item_start = in.position();
        // An unknown type byte stands alone, as the interpreter reads it.
        if (!item.known) continue;
        switch (item.type) {
            case push_type::string:
                out.add("\"");
                out.add(bx_string(item.text, item.text_length).c_str());
                out.add("\"\n");
                break;
            case push_type::float32: out.addf("(float) %f\n", item.number); break;
            case push_type::null: out.add("NULL\n"); break;
            case push_type::undefined: out.add("undef\n"); break;
            case push_type::register_number: out.addf("reg[%d]\n", item.index); break;
            case push_type::boolean: out.addf("bool(%d)\n", item.index); break;
            case push_type::float64: out.addf("(double) %f\n", item.number); break;
            case push_type::int32: out.addf("(int) %d\n", static_cast<int32_t>(item.number)); break;
            case push_type::pool_index8: out.addf("dict_lookup[%d]\n", item.index); break;
            case push_type::pool_index16: out.addf("dict_lookup_lg[%d]\n", item.index); break;
        }
    }
    if (!in.failed()) return true;
    // A text cut short is listed as far as it goes, after its type byte.
    if (item.known && item.type == push_type::string) out.add_cut_text(in, item_start + 1);
    return false;
}

bool list_decl_dict(listing& out, byte_cursor& in) {
    const int count = in.u16();
    if (in.failed()) return false;
    out.addf(" [%d]\n", count);
    for (int i = 0; i < count; ++i) {
        if (!out.add_quoted(in)) return false;
    }
    return true;
}

bool list_function2(listing& out, byte_cursor& in) {
    const char* name = in.c_string();
    const int arg_count = in.u16();
    const int reg_count = in.u8();
    const int flags = in.u16();
    if (in.failed()) return false;
    out.addf("\n\t\tname = '%.60s', arg_count = %d, reg_count = %d\n", name, arg_count,
             reg_count);
    auto bit = [flags](int mask) { return (flags & mask) ? 1 : 0; };
    out.addf("\t\t\t\tpg = %d\n\t\t\t\tpp = %d\n\t\t\t\tpr = %d\n", bit(0x100), bit(0x80),
             bit(0x40));
    out.addf("\t\tss = %d, ps = %d\n\t\tsa = %d, pa = %d\n\t\tst = %d, pt = %d\n", bit(0x20),
             bit(0x10), bit(0x08), bit(0x04), bit(0x02), bit(0x01));
    for (int i = 0; i < arg_count; ++i) {
        const int reg = in.u8();
        const char* arg = in.c_string();
        if (in.failed()) return false;
        out.addf("\t\targ[%d] - reg[%d] - '%.60s'\n", i, reg, arg);
    }
    const int length = in.u16();
    if (in.failed()) return false;
    out.addf("\t\tfunction length = %d\n", length);
    return true;
}

}  // namespace

const char* get_action_name(int code) {
    const action_info* info = find_action(code);
    return info ? info->name : nullptr;
}

void log_action_disasm(const uint8_t* bytes, int size) {
    if (!bytes || size <= 0) return;
    listing out;
    const int code = bytes[0];
    const action_info* info = find_action(code);
    int format = ARG_HEX;
    if (info) {
        out.addf("%-15s", info->name);
        format = info->format;
    } else {
        out.addf("<unknown>[0x%02X]", code);
    }
    action_header header;
    read_action_header(bytes, 0, size, &header);
    const action_header_fault fault = action_header_fault_at(bytes, 0, size);
    if (!(code & action_has_payload_bit)) {
        out.add("\n");
        return;
    }
    if (fault == action_header_fault::header_cut) {
        out.add(s_length_exceeded);
        return;
    }
    const bool cut = fault == action_header_fault::payload_cut;
    // A cut payload is listed as far as the bytes go.
    if (cut) header.payload_length = size - action_record_header_size;
    byte_cursor in = action_payload(bytes, 0, header);
    bool complete = true;
    switch (format) {
        case ARG_STR:
            out.add(" \"");
            while (!in.at_end()) out.add_char(static_cast<char>(in.u8()));
            out.add("\"\n");
            break;
        case ARG_U8:
            if ((complete = in.left() >= 1)) out.addf(" %d\n", in.u8());
            break;
        case ARG_U16:
            if ((complete = in.left() >= 2)) out.addf(" %d\n", in.u16());
            break;
        case ARG_S16:
            if ((complete = in.left() >= 2)) out.addf(" %d\n", in.s16());
            break;
        case ARG_PUSH_DATA:
            complete = list_push_data(out, in);
            break;
        case ARG_DECL_DICT:
            complete = list_decl_dict(out, in);
            break;
        case ARG_FUNCTION2:
            complete = list_function2(out, in);
            break;
        case ARG_HEX:
        default:
            while (!in.at_end()) out.addf(" 0x%02X", in.u8());
            out.add("\n");
            break;
    }
    if (!complete || cut) out.add(s_length_exceeded);
}

}  // namespace flash
