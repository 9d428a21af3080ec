#include "flash/runtime/action_buffer.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "flash/base/log.h"
#include "flash/runtime/action_disassembler.h"
#include "flash/swf/action_bytes.h"
#include "flash/swf/action_record.h"
#include "flash/swf/swf_stream.h"

namespace flash {

action_buffer::action_buffer() : m_buffer(new counted_buffer) {}

int action_buffer::read(const uint8_t* bytes, int length) {
    if (!bytes || length <= 0) return 0;
    int pos = 0;
    while (pos < length) {
        const int record = pos;
        action_header header;
        const int code = bytes[pos];
        if (!read_action_header(bytes, pos, length, &header)) {
            log_error("error: action record at %d (code 0x%02X) runs past the end of its tag\n",
                      record, code);
            return length;
        }
        const int size = header.size;
        const int offset = m_buffer->size();
        if (!m_buffer->append(bytes + pos, size)) {
            log_error("error: action buffer can't grow past %d bytes\n", offset);
            return length;
        }
        if (get_verbose_action()) {
            log_msg("%4d\t", offset);
            log_action_disasm(bytes + pos, size);
        }
        pos += size;
        if (code == action::END) break;
    }
    return pos;
}

int action_buffer::read(swf_stream* in, int length) {
    std::vector<uint8_t> bytes;
    read_action_bytes(in, length, &bytes);
    return read(bytes.data(), static_cast<int>(bytes.size()));
}

int action_buffer::read(swf_stream* in) {
    return read(in, in->get_tag_end_position() - in->get_position());
}

void action_buffer::execute(as_environment* env) {
    static const array<with_scope> empty;
    execute(env, 0, get_length(), nullptr, empty, false);
}

void action_buffer::process_decl_dict(int start_pc, int stop_pc) {
    if (m_decl_dict_processed_at == start_pc) return;
    if (m_decl_dict_processed_at != -1) {
        log_error("error: process_decl_dict(%d, %d): decl_dict was already processed at %d\n",
                  start_pc, stop_pc, m_decl_dict_processed_at);
        return;
    }
    const uint8_t* bytes = get_bytes();
    const int size = get_length();
    if (stop_pc > size) stop_pc = size;
    if (!bytes || start_pc < 0 || start_pc + 5 > stop_pc) {
        log_error("error: action buffer dict length exceeded\n");
        return;
    }
    m_decl_dict_processed_at = start_pc;
    // Copies made from here on share the number with these entries.
    static std::atomic<uint32_t> s_last_dictionary_id{0};
    m_dictionary_id = ++s_last_dictionary_id;
    const int count = bytes[start_pc + 3] | (bytes[start_pc + 4] << 8);
    m_dictionary.resize(count);
    int pos = start_pc + 5;
    for (int i = 0; i < count; ++i) {
        int end = pos;
        while (end < stop_pc && bytes[end] != 0) ++end;
        if (end >= stop_pc) {
            log_error("error: action buffer dict length exceeded\n");
            for (; i < count; ++i) m_dictionary[i] = "<invalid>";
            return;
        }
        m_dictionary[i] = bx_string(reinterpret_cast<const char*>(bytes + pos), end - pos);
        // Pool entries are the names of the code: pushes copy them with their hash.
        m_dictionary[i].prepare_name();
        pos = end + 1;
    }
}

}  // namespace flash
