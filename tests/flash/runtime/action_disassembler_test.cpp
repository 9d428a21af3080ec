// The action listing of every ActionScript 1/2 code, bounded by the record.
#include "flash/runtime/action_disassembler.h"

#include <gtest/gtest.h>

#include <string>

#include "action_assembler.h"
#include "flash/base/log.h"

using namespace testasm;

namespace {

std::string g_listing;
void collect(bool, const char* text) { g_listing += text; }

std::string listing(const bytes& record, int size = -1) {
    const flash::log_callback previous = flash::get_log_callback();
    g_listing.clear();
    flash::register_log_callback(collect);
    flash::log_action_disasm(record.data(), size < 0 ? static_cast<int>(record.size()) : size);
    flash::register_log_callback(previous);
    return g_listing;
}

TEST(ActionDisassembler, EveryNamedCodeWithoutPayload) {
    const char* names[0x80] = {};
    const std::pair<int, const char*> table[] = {
        {0x04, "next_frame"}, {0x05, "prev_frame"}, {0x06, "play"}, {0x07, "stop"},
        {0x08, "toggle_qlty"}, {0x09, "stop_sounds"}, {0x0A, "add"}, {0x0B, "sub"},
        {0x0C, "mul"}, {0x0D, "div"}, {0x0E, "equ"}, {0x0F, "lt"}, {0x10, "and"}, {0x11, "or"},
        {0x12, "not"}, {0x13, "str_eq"}, {0x14, "str_len"}, {0x15, "substr"}, {0x17, "pop"},
        {0x18, "floor"}, {0x1C, "get_var"}, {0x1D, "set_var"}, {0x20, "set_target_exp"},
        {0x21, "str_cat"}, {0x22, "get_prop"}, {0x23, "set_prop"}, {0x24, "dup_sprite"},
        {0x25, "rem_sprite"}, {0x26, "trace"}, {0x27, "start_drag"}, {0x28, "stop_drag"},
        {0x29, "str_lt"}, {0x2B, "cast_object"}, {0x30, "random"}, {0x31, "mb_length"},
        {0x32, "ord"}, {0x33, "chr"}, {0x34, "get_timer"}, {0x35, "substr_mb"}, {0x36, "ord_mb"},
        {0x37, "chr_mb"}, {0x3A, "delete"}, {0x3B, "delete_all"}, {0x3C, "set_local"},
        {0x3D, "call_func"}, {0x3E, "return"}, {0x3F, "mod"}, {0x40, "new"}, {0x41, "decl_local"},
        {0x42, "decl_array"}, {0x43, "decl_obj"}, {0x44, "type_of"}, {0x45, "get_target"},
        {0x46, "enumerate"}, {0x47, "add_t"}, {0x48, "lt_t"}, {0x49, "eq_t"}, {0x4A, "number"},
        {0x4B, "string"}, {0x4C, "dup"}, {0x4D, "swap"}, {0x4E, "get_member"},
        {0x4F, "set_member"}, {0x50, "inc"}, {0x51, "dec"}, {0x52, "call_method"},
        {0x53, "new_method"}, {0x54, "is_inst_of"}, {0x55, "enum_object"}, {0x60, "bit_and"},
        {0x61, "bit_or"}, {0x62, "bit_xor"}, {0x63, "shl"}, {0x64, "asr"}, {0x65, "lsr"},
        {0x66, "eq_strict"}, {0x67, "gt_t"}, {0x68, "gt_str"}, {0x69, "extends"}, {0x00, "<end>"},
    };
    for (const auto& e : table) names[e.first] = e.second;
    for (int code = 0; code < 0x80; ++code) {
        char expected[64];
        if (names[code]) {
            std::snprintf(expected, sizeof expected, "%-15s\n", names[code]);
        } else {
            std::snprintf(expected, sizeof expected, "<unknown>[0x%02X]\n", code);
        }
        EXPECT_EQ(listing({static_cast<uint8_t>(code)}), expected) << code;
    }
}

TEST(ActionDisassembler, RecordsWithPayloads) {
    struct row {
        const char* name;
        bytes record;
        const char* text;
    };
    for (const row& r : std::vector<row>{
             {"goto_frame", assembler().goto_frame(7).take(), "goto_frame      7\n"},
             {"get_url", assembler().get_url("a", "b").take(), "get_url         \"ab\"\n"},
             {"store_register", assembler().store_register(3).take(), "store_register  3\n"},
             {"decl_dict", assembler().constant_pool({"x", "yz"}).take(),
              "decl_dict       [2]\n\"x\"\n\"yz\"\n"},
             {"wait_for_frame", assembler().record(0x8A, {1, 2}).take(), "wait_for_frame  0x01 0x02\n"},
             {"set_target", assembler().set_target("/a").take(), "set_target      \"/a\"\n"},
             {"goto_frame_lbl", assembler().goto_label("go").take(), "goto_frame_lbl  \"go\"\n"},
             {"wait_for_fr_exp", assembler().record(0x8D, {4}).take(), "wait_for_fr_exp 0x04\n"},
             {"with", assembler().record(WITH, {0x10, 0x01}).take(), "with            272\n"},
             {"goto", assembler().jump_by(JUMP, -2).take(), "goto            -2\n"},
             {"get_url2", assembler().record(GET_URL2, {0x40}).take(), "get_url2        0x40\n"},
             {"func", assembler().record(DEFINE_FUNCTION, {'f', 0}).take(), "func            0x66 0x00\n"},
             {"branch_if_true", assembler().jump_by(IF, 5).take(), "branch_if_true  5\n"},
             {"call_frame", assembler().record(CALL, {}).take(), "call_frame     \n"},
             {"goto_frame_exp", assembler().goto_frame2(1).take(), "goto_frame_exp  0x01\n"},
             {"unknown", assembler().record(0xC0, {9}).take(), "<unknown>[0xC0] 0x09\n"},
             {"push NULL and int", assembler().push({null(), i32(5)}).take(),
              "push_data      NULL\n(int) 5\n"},
             {"push every type",
              assembler().push({str("s"), flt(0.5f), undef(), reg(2), boolean(true), dbl(1.25),
                                dict(3), dict16(300)})
                  .take(),
              "push_data      \"s\"\n(float) 0.500000\nundef\nreg[2]\nbool(1)\n(double) 1.250000\n"
              "dict_lookup[3]\ndict_lookup_lg[300]\n"},
             {"function2",
              assembler().define_function2("fn", 4, 0x0105, {{1, "a"}}, assembler().op(PLAY)).take(),
              "function2      \n\t\tname = 'fn', arg_count = 1, reg_count = 4\n"
              "\t\t\t\tpg = 1\n\t\t\t\tpp = 0\n\t\t\t\tpr = 0\n\t\tss = 0, ps = 0\n"
              "\t\tsa = 0, pa = 1\n\t\tst = 0, pt = 1\n\t\targ[0] - reg[1] - 'a'\n"
              "\t\tfunction length = 1\n"},
         }) {
        bytes record = r.record;
        EXPECT_EQ(listing(record), r.text) << r.name;
    }
}

TEST(ActionDisassembler, BoundedByTheRecord) {
    const std::string exceeded = "<disasm error -- length exceeded>\n";
    // Declared payloads longer than the bytes given, and items cut inside the payload.
    EXPECT_EQ(listing({0x96, 0x05, 0x00, 0x07, 0x01}), "push_data      " + exceeded);
    EXPECT_EQ(listing({0x96, 0x02, 0x00, 0x00, 'a'}), "push_data      \"a" + exceeded);
    EXPECT_EQ(listing({0x88, 0x04, 0x00, 0x02, 0x00, 'a', 0}),
              "decl_dict       [2]\n\"a\"\n\"" + exceeded);
    EXPECT_EQ(listing({0x81}), "goto_frame     " + exceeded);
    EXPECT_EQ(listing({0x81, 0x01, 0x00, 0x07}), "goto_frame     " + exceeded);
    EXPECT_EQ(listing({0x8E, 0x03, 0x00, 'f', 0, 1}), "function2      " + exceeded);
    // Nothing past the size is read even when the record claims more.
    const bytes record = assembler().push({i32(1)}).take();
    EXPECT_EQ(listing(record, 4), "push_data      " + exceeded);
    EXPECT_EQ(listing({}, 0), "");
}

}  // namespace
