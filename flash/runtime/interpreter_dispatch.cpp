// The rarer actions, reached through the one switch of the handler table, and the cases of it
// that hold values or read a payload, which live in their own functions so that the switch
// itself needs no stack frame.
#include "flash/base/log.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/character.h"
#include "flash/runtime/interpreter_impl.h"

namespace flash {

void interpreter::do_stack_swap() {
    need(2);
    const as_value y(top(0));
    top(0) = top(1);
    top(1) = y;
}

void interpreter::do_goto_frame() {
    payload_reader in = payload();
    const int frame = in.u16();
    if (payload_failed(in)) return;
    if (character* ch = target_character()) ch->goto_frame(frame);
}

void interpreter::do_goto_label() {
    payload_reader in = payload();
    const char* label = in.c_string();
    if (payload_failed(in)) return;
    if (character* ch = target_character()) ch->goto_labeled_frame(label);
}

void interpreter::do_call_frame() {
    const as_value frame(top(0));
    drop(1);
    if (character* ch = target_character()) ch->call_frame_actions(frame);
}

void interpreter::do_set_target_action() {
    payload_reader in = payload();
    const char* path = in.c_string();
    if (payload_failed(in)) return;
    do_set_target(path);
}

void interpreter::do_set_target2() {
    const bx_string path(top(0).to_bx_string());
    drop(1);
    do_set_target(path.c_str());
}

void interpreter::do_get_url_action() {
    payload_reader in = payload();
    const char* url = in.c_string();
    const char* target = in.c_string();
    if (payload_failed(in)) return;
    do_get_url(url, target);
}

void interpreter::do_get_url2() {
    const bx_string url(top(1).to_bx_string());
    const bx_string target(top(0).to_bx_string());
    drop(2);
    do_get_url(url.c_str(), target.c_str());
}

void interpreter::do_trace() {
    as_value result;
    fn_call fn(&result, nullptr, m_env, 1, m_env->get_top_index());
    as_global_trace(fn);
    drop(1);
}

void interpreter::do_define_local() {
    const bx_string name(top(1).to_bx_string());
    const as_value value(top(0));
    drop(2);
    m_env->set_local(name, value);
}

void interpreter::do_define_local2() {
    const bx_string name(top(0).to_bx_string());
    drop(1);
    m_env->declare_local(name);
}

void interpreter::dispatch(int code) {
    switch (code) {
        case action::END:
            finish(END_ACTION);
            break;

        // Stack and conversions.
        case action::STACK_SWAP:
            do_stack_swap();
            break;
        case action::CONSTANT_POOL:
            m_buffer.process_decl_dict(m_pc, m_next_pc);
            break;

        // Arithmetic, logic and comparison.

        // Strings.
        case action::STRING_LENGTH:
        case action::STRING_EXTRACT:
        case action::STRING_ADD:
        case action::CHAR_TO_ASCII:
        case action::ASCII_TO_CHAR:
            do_string_op(code);
            break;

        // Not implemented: logged, stack unchanged.
        case action::TOGGLE_QUALITY:
        case action::THROW:
        case action::IMPLEMENTS_OP:
        case action::MB_STRING_LENGTH:
        case action::MB_STRING_EXTRACT:
        case action::MB_CHAR_TO_ASCII:
        case action::TARGET_PATH:
            log_error("todo opcode: %02X\n", code);
            break;

        // Movie control.
        case action::NEXT_FRAME:
            if (character* ch = target_character()) ch->goto_frame(ch->get_current_frame() + 1);
            break;
        case action::PREV_FRAME:
            if (character* ch = target_character()) ch->goto_frame(ch->get_current_frame() - 1);
            break;
        case action::PLAY:
            if (character* ch = target_character()) ch->set_play_state(0);
            break;
        case action::STOP:
            if (character* ch = target_character()) ch->set_play_state(1);
            break;
        case action::STOP_SOUNDS:
            do_stop_sounds();
            break;
        case action::GOTO_FRAME:
            do_goto_frame();
            break;
        case action::GOTO_LABEL:
            do_goto_label();
            break;
        case action::GOTO_FRAME2:
            do_goto_frame2();
            break;
        case action::CALL:
            do_call_frame();
            break;
        case action::SET_TARGET:
            do_set_target_action();
            break;
        case action::SET_TARGET2:
            do_set_target2();
            break;
        case action::WAIT_FOR_FRAME2:
            drop(1);
            break;
        case action::GET_PROPERTY:
            do_get_property();
            break;
        case action::SET_PROPERTY:
            do_set_property();
            break;
        case action::CLONE_SPRITE:
            do_clone_sprite();
            break;
        case action::REMOVE_SPRITE:
            do_remove_sprite();
            break;
        case action::START_DRAG:
            do_start_drag();
            break;
        case action::END_DRAG:
            do_end_drag();
            break;
        case action::GET_URL:
            do_get_url_action();
            break;
        case action::GET_URL2:
            do_get_url2();
            break;
        case action::TRACE:
            do_trace();
            break;
        case action::GET_TIME:
            do_get_time();
            break;
        case action::RANDOM_NUMBER:
            need(1);
            do_random();
            break;

        // Variables, members and objects.
        case action::DEFINE_LOCAL:
            do_define_local();
            break;
        case action::DEFINE_LOCAL2:
            do_define_local2();
            break;
        case action::DELETE:
            need(2);
            do_delete();
            break;
        case action::DELETE2:
            need(1);
            do_delete2();
            break;
        case action::ENUMERATE:
            do_enumerate(false);
            break;
        case action::ENUMERATE2:
            do_enumerate(true);
            break;
        case action::INIT_OBJECT:
            do_init_object();
            break;
        case action::INIT_ARRAY:
            do_init_array();
            break;
        case action::NEW_OBJECT:
            do_new_object();
            break;
        case action::NEW_METHOD:
            do_new_method();
            break;
        case action::INSTANCE_OF:
            need(2);
            do_instance_of();
            break;
        case action::CAST_OP:
            need(2);
            do_cast_op();
            break;
        case action::EXTENDS:
            do_extends();
            break;

        // Functions and control flow.
        case action::DEFINE_FUNCTION:
            do_define_function(false);
            break;
        case action::DEFINE_FUNCTION2:
            do_define_function(true);
            break;
        case action::WITH:
            do_with();
            break;

        default:
            // Unknown codes are skipped by their length.
            break;
    }
}

}  // namespace flash
