#pragma once
// A small assembler of ActionScript 1/2 action bytes for the tests: records, typed pushes,
// constant pools, labels with fixed-up Jump and If offsets, function definitions with nested
// bodies, With blocks, and raw or truncated bytes.
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "flash/runtime/action_codes.h"

namespace testasm {

using bytes = std::vector<uint8_t>;

using namespace flash::action;
using op = flash::action::code;

// One typed value of a Push record.
struct item {
    bytes data;
};

inline void put16(bytes& b, int v) {
    b.push_back(static_cast<uint8_t>(v & 0xFF));
    b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
inline void put32(bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void put_text(bytes& b, const std::string& s) {
    b.insert(b.end(), s.begin(), s.end());
    b.push_back(0);
}

inline item str(const std::string& s) {
    item i{{0}};
    put_text(i.data, s);
    return i;
}
inline item flt(float f) {
    item i{{1}};
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32(i.data, bits);
    return i;
}
inline item null() { return item{{2}}; }
inline item undef() { return item{{3}}; }
inline item reg(int r) { return item{{4, static_cast<uint8_t>(r)}}; }
inline item boolean(bool v) { return item{{5, static_cast<uint8_t>(v ? 1 : 0)}}; }
inline item dbl(double d) {
    item i{{6}};
    uint64_t bits;
    std::memcpy(&bits, &d, 8);
    put32(i.data, static_cast<uint32_t>(bits >> 32));
    put32(i.data, static_cast<uint32_t>(bits));
    return i;
}
inline item i32(int32_t v) {
    item i{{7}};
    put32(i.data, static_cast<uint32_t>(v));
    return i;
}
inline item dict(int index) { return item{{8, static_cast<uint8_t>(index)}}; }
inline item dict16(int index) {
    item i{{9}};
    put16(i.data, index);
    return i;
}

class assembler {
public:
    // A one-byte action.
    assembler& op(uint8_t code) {
        m_bytes.push_back(code);
        return *this;
    }
    // A record with a payload (codes 0x80 and above).
    assembler& record(uint8_t code, const bytes& payload) {
        m_bytes.push_back(code);
        put16(m_bytes, static_cast<int>(payload.size()));
        m_bytes.insert(m_bytes.end(), payload.begin(), payload.end());
        return *this;
    }
    assembler& raw(const bytes& b) {
        m_bytes.insert(m_bytes.end(), b.begin(), b.end());
        return *this;
    }
    assembler& push(std::initializer_list<item> items) {
        bytes payload;
        for (const item& i : items) payload.insert(payload.end(), i.data.begin(), i.data.end());
        return record(PUSH, payload);
    }
    // Shorthands: push a text, a number.
    assembler& push_str(const std::string& s) { return push({str(s)}); }
    assembler& push_num(int v) { return push({i32(v)}); }
    // trace(text).
    assembler& trace_str(const std::string& s) { return push_str(s).op(TRACE); }
    // trace(variable).
    assembler& trace_var(const std::string& name) { return push_str(name).op(GET_VARIABLE).op(TRACE); }
    // name = value (a number or text pushed before).
    assembler& set_var(const std::string& name, item value) {
        return push({str(name), value}).op(SET_VARIABLE);
    }
    assembler& constant_pool(const std::vector<std::string>& entries) {
        bytes payload;
        put16(payload, static_cast<int>(entries.size()));
        for (const std::string& e : entries) put_text(payload, e);
        return record(CONSTANT_POOL, payload);
    }
    assembler& goto_frame(int frame) {
        bytes p;
        put16(p, frame);
        return record(GOTO_FRAME, p);
    }
    assembler& goto_label(const std::string& label) {
        bytes p;
        put_text(p, label);
        return record(GOTO_LABEL, p);
    }
    assembler& goto_frame2(int flags) { return record(GOTO_FRAME2, {static_cast<uint8_t>(flags)}); }
    assembler& set_target(const std::string& path) {
        bytes p;
        put_text(p, path);
        return record(SET_TARGET, p);
    }
    assembler& get_url(const std::string& url, const std::string& target) {
        bytes p;
        put_text(p, url);
        put_text(p, target);
        return record(GET_URL, p);
    }
    assembler& store_register(int r) { return record(STORE_REGISTER, {static_cast<uint8_t>(r)}); }

    // Labels: Jump and If offsets are fixed up when the bytes are taken.
    int new_label() { return m_next_label++; }
    assembler& label(int id) {
        m_labels[id] = static_cast<int>(m_bytes.size());
        return *this;
    }
    assembler& jump(int label_id) { return branch(JUMP, label_id); }
    assembler& if_true(int label_id) { return branch(IF, label_id); }
    // A branch by a fixed offset from the end of the record.
    assembler& jump_by(uint8_t code, int offset) {
        bytes p;
        put16(p, offset);
        return record(code, p);
    }

    assembler& define_function(const std::string& name, const std::vector<std::string>& args,
                               assembler body) {
        const bytes code = body.take();
        bytes p;
        put_text(p, name);
        put16(p, static_cast<int>(args.size()));
        for (const std::string& a : args) put_text(p, a);
        put16(p, static_cast<int>(code.size()));
        record(DEFINE_FUNCTION, p);
        return raw(code);
    }
    assembler& define_function2(const std::string& name, int register_count, int flags,
                                const std::vector<std::pair<int, std::string>>& args,
                                assembler body) {
        const bytes code = body.take();
        bytes p;
        put_text(p, name);
        put16(p, static_cast<int>(args.size()));
        p.push_back(static_cast<uint8_t>(register_count));
        put16(p, flags);
        for (const auto& a : args) {
            p.push_back(static_cast<uint8_t>(a.first));
            put_text(p, a.second);
        }
        put16(p, static_cast<int>(code.size()));
        record(DEFINE_FUNCTION2, p);
        return raw(code);
    }
    // with (top of stack) { body }.
    assembler& with(assembler body) {
        const bytes code = body.take();
        bytes p;
        put16(p, static_cast<int>(code.size()));
        record(WITH, p);
        return raw(code);
    }
    assembler& end() { return op(END); }

    // The bytes with every branch fixed up.
    bytes take() {
        bytes out = m_bytes;
        for (const auto& f : m_fixups) {
            const int target = m_labels.at(f.second);
            const int offset = target - (f.first + 2);
            out[f.first] = static_cast<uint8_t>(offset & 0xFF);
            out[f.first + 1] = static_cast<uint8_t>((offset >> 8) & 0xFF);
        }
        return out;
    }
    int size() const { return static_cast<int>(m_bytes.size()); }

private:
    assembler& branch(uint8_t code, int label_id) {
        record(code, {0, 0});
        m_fixups.emplace_back(static_cast<int>(m_bytes.size()) - 2, label_id);
        return *this;
    }

    bytes m_bytes;
    std::map<int, int> m_labels;
    std::vector<std::pair<int, int>> m_fixups;
    int m_next_label = 0;
};

}  // namespace testasm
