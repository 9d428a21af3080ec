#include "flash/runtime/action_disassembler.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "flash/base/bx_string.h"
#include "flash/base/log.h"
#include "flash/runtime/interpreter_impl.h"

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
    {0x04, "next_frame", ARG_NONE},     {0x05, "prev_frame", ARG_NONE},
    {0x06, "play", ARG_NONE},           {0x07, "stop", ARG_NONE},
    {0x08, "toggle_qlty", ARG_NONE},    {0x09, "stop_sounds", ARG_NONE},
    {0x0A, "add", ARG_NONE},            {0x0B, "sub", ARG_NONE},
    {0x0C, "mul", ARG_NONE},            {0x0D, "div", ARG_NONE},
    {0x0E, "equ", ARG_NONE},            {0x0F, "lt", ARG_NONE},
    {0x10, "and", ARG_NONE},            {0x11, "or", ARG_NONE},
    {0x12, "not", ARG_NONE},            {0x13, "str_eq", ARG_NONE},
    {0x14, "str_len", ARG_NONE},        {0x15, "substr", ARG_NONE},
    {0x17, "pop", ARG_NONE},            {0x18, "floor", ARG_NONE},
    {0x1C, "get_var", ARG_NONE},        {0x1D, "set_var", ARG_NONE},
    {0x20, "set_target_exp", ARG_NONE}, {0x21, "str_cat", ARG_NONE},
    {0x22, "get_prop", ARG_NONE},       {0x23, "set_prop", ARG_NONE},
    {0x24, "dup_sprite", ARG_NONE},     {0x25, "rem_sprite", ARG_NONE},
    {0x26, "trace", ARG_NONE},          {0x27, "start_drag", ARG_NONE},
    {0x28, "stop_drag", ARG_NONE},      {0x29, "str_lt", ARG_NONE},
    {0x2B, "cast_object", ARG_NONE},    {0x30, "random", ARG_NONE},
    {0x31, "mb_length", ARG_NONE},      {0x32, "ord", ARG_NONE},
    {0x33, "chr", ARG_NONE},            {0x34, "get_timer", ARG_NONE},
    {0x35, "substr_mb", ARG_NONE},      {0x36, "ord_mb", ARG_NONE},
    {0x37, "chr_mb", ARG_NONE},         {0x3A, "delete", ARG_NONE},
    {0x3B, "delete_all", ARG_NONE},     {0x3C, "set_local", ARG_NONE},
    {0x3D, "call_func", ARG_NONE},      {0x3E, "return", ARG_NONE},
    {0x3F, "mod", ARG_NONE},            {0x40, "new", ARG_NONE},
    {0x41, "decl_local", ARG_NONE},     {0x42, "decl_array", ARG_NONE},
    {0x43, "decl_obj", ARG_NONE},       {0x44, "type_of", ARG_NONE},
    {0x45, "get_target", ARG_NONE},     {0x46, "enumerate", ARG_NONE},
    {0x47, "add_t", ARG_NONE},          {0x48, "lt_t", ARG_NONE},
    {0x49, "eq_t", ARG_NONE},           {0x4A, "number", ARG_NONE},
    {0x4B, "string", ARG_NONE},         {0x4C, "dup", ARG_NONE},
    {0x4D, "swap", ARG_NONE},           {0x4E, "get_member", ARG_NONE},
    {0x4F, "set_member", ARG_NONE},     {0x50, "inc", ARG_NONE},
    {0x51, "dec", ARG_NONE},            {0x52, "call_method", ARG_NONE},
    {0x53, "new_method", ARG_NONE},     {0x54, "is_inst_of", ARG_NONE},
    {0x55, "enum_object", ARG_NONE},    {0x60, "bit_and", ARG_NONE},
    {0x61, "bit_or", ARG_NONE},         {0x62, "bit_xor", ARG_NONE},
    {0x63, "shl", ARG_NONE},            {0x64, "asr", ARG_NONE},
    {0x65, "lsr", ARG_NONE},            {0x66, "eq_strict", ARG_NONE},
    {0x67, "gt_t", ARG_NONE},           {0x68, "gt_str", ARG_NONE},
    {0x69, "extends", ARG_NONE},        {0x81, "goto_frame", ARG_U16},
    {0x83, "get_url", ARG_STR},         {0x87, "store_register", ARG_U8},
    {0x88, "decl_dict", ARG_DECL_DICT}, {0x8A, "wait_for_frame", ARG_HEX},
    {0x8B, "set_target", ARG_STR},      {0x8C, "goto_frame_lbl", ARG_STR},
    {0x8D, "wait_for_fr_exp", ARG_HEX}, {0x8E, "function2", ARG_FUNCTION2},
    {0x94, "with", ARG_U16},            {0x96, "push_data", ARG_PUSH_DATA},
    {0x99, "goto", ARG_S16},            {0x9A, "get_url2", ARG_HEX},
    {0x9B, "func", ARG_HEX},            {0x9D, "branch_if_true", ARG_S16},
    {0x9E, "call_frame", ARG_HEX},      {0x9F, "goto_frame_exp", ARG_HEX},
    {0, "<end>", ARG_NONE},
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
    // A NUL-terminated text of the payload between quotes; false when it runs past the end.
    bool add_quoted(payload_reader& in) {
        m_text += '"';
        while (!in.at_end() && in.data[in.pos] != 0) add_char(static_cast<char>(in.data[in.pos++]));
        if (in.at_end()) return false;
        ++in.pos;
        add("\"\n");
        return true;
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
bool list_push_data(listing& out, payload_reader& in) {
    while (!in.at_end()) {
        const int type = in.u8();
        switch (type) {
            case 0:
                if (!out.add_quoted(in)) return false;
                break;
            case 1: {
                if (!in.has(4)) return false;
                const uint32_t bits = in.u32();
                float f;
                std::memcpy(&f, &bits, 4);
                out.addf("(float) %f\n", static_cast<double>(f));
                break;
            }
            case 2:
                out.add("NULL\n");
                break;
            case 3:
                out.add("undef\n");
                break;
            case 4:
                if (!in.has(1)) return false;
                out.addf("reg[%d]\n", in.u8());
                break;
            case 5:
                if (!in.has(1)) return false;
                out.addf("bool(%d)\n", in.u8());
                break;
            case 6: {
                if (!in.has(8)) return false;
                const uint64_t high = in.u32();
                const uint64_t low = in.u32();
                const uint64_t bits = (high << 32) | low;
                double d;
                std::memcpy(&d, &bits, 8);
                out.addf("(double) %f\n", d);
                break;
            }
            case 7:
                if (!in.has(4)) return false;
                out.addf("(int) %d\n", static_cast<int32_t>(in.u32()));
                break;
            case 8:
                if (!in.has(1)) return false;
                out.addf("dict_lookup[%d]\n", in.u8());
                break;
            case 9:
                if (!in.has(2)) return false;
                out.addf("dict_lookup_lg[%d]\n", in.u16());
                break;
            default:
                // An unknown type byte stands alone, as the interpreter reads it.
                break;
        }
    }
    return true;
}

bool list_decl_dict(listing& out, payload_reader& in) {
    if (!in.has(2)) return false;
    const int count = in.u16();
    out.addf(" [%d]\n", count);
    for (int i = 0; i < count; ++i) {
        if (!out.add_quoted(in)) return false;
    }
    return true;
}

bool list_function2(listing& out, payload_reader& in) {
    const char* name = in.text();
    if (in.failed) return false;
    if (!in.has(5)) return false;
    const int arg_count = in.u16();
    const int reg_count = in.u8();
    const int flags = in.u16();
    out.addf("\n\t\tname = '%.60s', arg_count = %d, reg_count = %d\n", name, arg_count,
             reg_count);
    auto bit = [flags](int mask) { return (flags & mask) ? 1 : 0; };
    out.addf("\t\t\t\tpg = %d\n\t\t\t\tpp = %d\n\t\t\t\tpr = %d\n", bit(0x100), bit(0x80),
             bit(0x40));
    out.addf("\t\tss = %d, ps = %d\n\t\tsa = %d, pa = %d\n\t\tst = %d, pt = %d\n", bit(0x20),
             bit(0x10), bit(0x08), bit(0x04), bit(0x02), bit(0x01));
    for (int i = 0; i < arg_count; ++i) {
        if (!in.has(1)) return false;
        const int reg = in.u8();
        const char* arg = in.text();
        if (in.failed) return false;
        out.addf("\t\targ[%d] - reg[%d] - '%.60s'\n", i, reg, arg);
    }
    if (!in.has(2)) return false;
    out.addf("\t\tfunction length = %d\n", in.u16());
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
    if (code < 0x80) {
        out.add("\n");
        return;
    }
    if (size < 3) {
        out.add(s_length_exceeded);
        return;
    }
    const int length = bytes[1] | (bytes[2] << 8);
    const bool cut = length > size - 3;
    payload_reader in{bytes + 3, 0, cut ? size - 3 : length};
    bool complete = true;
    switch (format) {
        case ARG_STR:
            out.add(" \"");
            while (!in.at_end()) out.add_char(static_cast<char>(in.u8()));
            out.add("\"\n");
            break;
        case ARG_U8:
            if ((complete = in.has(1))) out.addf(" %d\n", in.u8());
            break;
        case ARG_U16:
            if ((complete = in.has(2))) out.addf(" %d\n", in.u16());
            break;
        case ARG_S16:
            if ((complete = in.has(2))) out.addf(" %d\n", static_cast<int16_t>(in.u16()));
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
