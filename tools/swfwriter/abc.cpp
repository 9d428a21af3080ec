#include "tools/swfwriter/abc.h"

#include <cstring>

namespace swf {

namespace {

constexpr uint16_t abc_minor_version = 16;
constexpr uint16_t abc_major_version = 46;
constexpr uint8_t attribute_metadata = 0x04;
constexpr uint8_t method_has_optional = 0x08;
constexpr uint8_t method_has_param_names = 0x80;
constexpr uint8_t instance_protected_ns = 0x08;
constexpr int s24_bytes = 3;

void write_u16(Bytes& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

// The count of a pool: entries + 1 for the implicit entry 0, or 0 for no entries.
uint32_t pool_count(size_t entries, const std::optional<uint32_t>& forced) {
    if (forced) return *forced;
    return entries == 0 ? 0 : static_cast<uint32_t>(entries + 1);
}

template <class T>
uint32_t intern(std::vector<T>& pool, const T& v) {
    for (size_t i = 0; i < pool.size(); ++i) {
        if (pool[i] == v) return static_cast<uint32_t>(i + 1);
    }
    pool.push_back(v);
    return static_cast<uint32_t>(pool.size());
}

void write_traits(Bytes& out, const std::vector<Trait>& traits) {
    write_u30(out, static_cast<uint32_t>(traits.size()));
    for (const Trait& t : traits) {
        write_u30(out, t.name);
        out.push_back(static_cast<uint8_t>((t.attributes << 4) | (t.kind & 0x0F)));
        switch (t.kind) {
            case Trait::slot:
            case Trait::const_:
                write_u30(out, t.id);
                write_u30(out, t.index);
                write_u30(out, t.value_index);
                if (t.value_index != 0) out.push_back(t.value_kind);
                break;
            case Trait::method:
            case Trait::getter:
            case Trait::setter:
            case Trait::class_:
            case Trait::function:
                write_u30(out, t.id);
                write_u30(out, t.index);
                break;
            default:
                break;
        }
        if (t.attributes & attribute_metadata) {
            write_u30(out, static_cast<uint32_t>(t.metadata.size()));
            for (uint32_t m : t.metadata) write_u30(out, m);
        }
    }
}

}  // namespace

void write_u30(Bytes& out, uint32_t v) {
    do {
        uint8_t b = v & 0x7F;
        v >>= 7;
        if (v) b |= 0x80;
        out.push_back(b);
    } while (v);
}

void write_s24(Bytes& out, int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < s24_bytes; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}

Code& Code::op(uint8_t opcode) {
    out_.push_back(opcode);
    return *this;
}

Code& Code::u8(uint8_t v) {
    out_.push_back(v);
    return *this;
}

Code& Code::u30(uint32_t v) {
    write_u30(out_, v);
    return *this;
}

Code& Code::s24(int32_t v) {
    write_s24(out_, v);
    return *this;
}

int Code::new_label() {
    labels_.push_back(-1);
    return static_cast<int>(labels_.size() - 1);
}

Code& Code::label(int id) {
    labels_.at(id) = static_cast<int>(out_.size());
    return *this;
}

Code& Code::branch(uint8_t opcode, int label_id) {
    out_.push_back(opcode);
    fixups_.emplace_back(out_.size(), label_id);
    write_s24(out_, 0);
    return *this;
}

Bytes Code::bytes() const {
    Bytes out = out_;
    for (const auto& [at, id] : fixups_) {
        const int target = labels_.at(id);
        const int32_t offset = target - static_cast<int32_t>(at + s24_bytes);
        Bytes operand;
        write_s24(operand, offset);
        std::memcpy(out.data() + at, operand.data(), s24_bytes);
    }
    return out;
}

Trait Trait::make_slot(uint32_t name, uint32_t type, uint32_t value_index, uint8_t value_kind) {
    Trait t;
    t.name = name;
    t.kind = slot;
    t.index = type;
    t.value_index = value_index;
    t.value_kind = value_kind;
    return t;
}

Trait Trait::make_method(uint32_t name, uint32_t method_index, uint8_t kind) {
    Trait t;
    t.name = name;
    t.kind = kind;
    t.index = method_index;
    return t;
}

Trait Trait::make_class(uint32_t name, uint32_t class_index) {
    Trait t;
    t.name = name;
    t.kind = class_;
    t.index = class_index;
    return t;
}

uint32_t Abc::integer(int32_t v) { return intern(ints_, v); }
uint32_t Abc::uinteger(uint32_t v) { return intern(uints_, v); }

uint32_t Abc::number(double v) {
    doubles_.push_back(v);
    return static_cast<uint32_t>(doubles_.size());
}

uint32_t Abc::string(const std::string& text) { return intern(strings_, text); }

uint32_t Abc::namespace_(uint8_t kind, const std::string& name) {
    return intern(namespaces_, std::pair<uint8_t, uint32_t>(kind, string(name)));
}

uint32_t Abc::namespace_set(const std::vector<uint32_t>& namespaces) {
    namespace_sets_.push_back(namespaces);
    return static_cast<uint32_t>(namespace_sets_.size());
}

uint32_t Abc::qname(const std::string& name, std::optional<uint32_t> ns) {
    const uint32_t n = ns ? *ns : namespace_(package_namespace, "");
    const uint32_t s = string(name);
    for (size_t i = 0; i < multinames_.size(); ++i) {
        const Multiname& m = multinames_[i];
        if (m.kind == mn::qname && m.a == n && m.b == s) return static_cast<uint32_t>(i + 1);
    }
    return multiname(mn::qname, n, s);
}

uint32_t Abc::multiname(uint8_t kind, uint32_t ns_or_set, uint32_t name) {
    multinames_.push_back({kind, ns_or_set, name});
    return static_cast<uint32_t>(multinames_.size());
}

uint32_t Abc::method(const Method& m) {
    methods_.push_back(m);
    return static_cast<uint32_t>(methods_.size() - 1);
}

uint32_t Abc::method_with_body(const Code& code, uint32_t local_count) {
    const uint32_t index = method(Method{});
    Body b;
    b.method = index;
    b.local_count = local_count;
    b.code = code.bytes();
    body(b);
    return index;
}

void Abc::body(const Body& b) { bodies_.push_back(b); }

uint32_t Abc::metadata(const Metadata& m) {
    metadata_.push_back(m);
    return static_cast<uint32_t>(metadata_.size() - 1);
}

uint32_t Abc::add_class(const Instance& instance, const Class& cls) {
    instances_.push_back(instance);
    classes_.push_back(cls);
    return static_cast<uint32_t>(classes_.size() - 1);
}

void Abc::script(uint32_t init, const std::vector<Trait>& traits) { scripts_.emplace_back(init, traits); }

Bytes Abc::finish() const {
    Bytes out;
    write_u16(out, abc_minor_version);
    write_u16(out, abc_major_version);

    write_u30(out, pool_count(ints_.size(), int_count));
    for (int32_t v : ints_) write_u30(out, static_cast<uint32_t>(v));
    write_u30(out, pool_count(uints_.size(), std::nullopt));
    for (uint32_t v : uints_) write_u30(out, v);
    write_u30(out, pool_count(doubles_.size(), std::nullopt));
    for (double v : doubles_) {
        uint64_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        for (size_t i = 0; i < sizeof bits; ++i) out.push_back(static_cast<uint8_t>(bits >> (8 * i)));
    }
    write_u30(out, pool_count(strings_.size(), string_count));
    for (const std::string& s : strings_) {
        write_u30(out, static_cast<uint32_t>(s.size()));
        out.insert(out.end(), s.begin(), s.end());
    }
    write_u30(out, pool_count(namespaces_.size(), std::nullopt));
    for (const auto& [kind, name] : namespaces_) {
        out.push_back(kind);
        write_u30(out, name);
    }
    write_u30(out, pool_count(namespace_sets_.size(), std::nullopt));
    for (const std::vector<uint32_t>& set : namespace_sets_) {
        write_u30(out, static_cast<uint32_t>(set.size()));
        for (uint32_t ns : set) write_u30(out, ns);
    }
    write_u30(out, pool_count(multinames_.size(), std::nullopt));
    for (const Multiname& m : multinames_) {
        out.push_back(m.kind);
        switch (m.kind) {
            case mn::qname:
            case mn::qname_a:
                write_u30(out, m.a);
                write_u30(out, m.b);
                break;
            case mn::rtqname:
            case mn::rtqname_a:
                write_u30(out, m.b);
                break;
            case mn::multiname:
            case mn::multiname_a:
                write_u30(out, m.b);
                write_u30(out, m.a);
                break;
            case mn::multiname_l:
            case mn::multiname_la:
                write_u30(out, m.a);
                break;
            default:
                break;
        }
    }

    write_u30(out, method_count ? *method_count : static_cast<uint32_t>(methods_.size()));
    for (const Method& m : methods_) {
        write_u30(out, static_cast<uint32_t>(m.param_types.size()));
        write_u30(out, m.return_type);
        for (uint32_t t : m.param_types) write_u30(out, t);
        write_u30(out, m.name);
        out.push_back(m.flags);
        if (m.flags & method_has_optional) {
            write_u30(out, static_cast<uint32_t>(m.options.size()));
            for (const auto& [value, kind] : m.options) {
                write_u30(out, value);
                out.push_back(kind);
            }
        }
        if (m.flags & method_has_param_names) {
            for (uint32_t n : m.param_names) write_u30(out, n);
        }
    }

    write_u30(out, static_cast<uint32_t>(metadata_.size()));
    for (const Metadata& m : metadata_) {
        write_u30(out, m.name);
        write_u30(out, static_cast<uint32_t>(m.items.size()));
        for (const auto& [key, value] : m.items) {
            write_u30(out, key);
            write_u30(out, value);
        }
    }

    write_u30(out, class_count ? *class_count : static_cast<uint32_t>(instances_.size()));
    for (const Instance& i : instances_) {
        write_u30(out, i.name);
        write_u30(out, i.super_name);
        out.push_back(i.flags);
        if (i.flags & instance_protected_ns) write_u30(out, i.protected_ns);
        write_u30(out, static_cast<uint32_t>(i.interfaces.size()));
        for (uint32_t n : i.interfaces) write_u30(out, n);
        write_u30(out, i.iinit);
        write_traits(out, i.traits);
    }
    for (const Class& c : classes_) {
        write_u30(out, c.cinit);
        write_traits(out, c.traits);
    }

    write_u30(out, script_count ? *script_count : static_cast<uint32_t>(scripts_.size()));
    for (const auto& [init, traits] : scripts_) {
        write_u30(out, init);
        write_traits(out, traits);
    }

    write_u30(out, body_count ? *body_count : static_cast<uint32_t>(bodies_.size()));
    for (const Body& b : bodies_) {
        write_u30(out, b.method);
        write_u30(out, b.max_stack);
        write_u30(out, b.local_count);
        write_u30(out, b.init_scope_depth);
        write_u30(out, b.max_scope_depth);
        write_u30(out, b.code_length ? *b.code_length : static_cast<uint32_t>(b.code.size()));
        out.insert(out.end(), b.code.begin(), b.code.end());
        write_u30(out, static_cast<uint32_t>(b.exceptions.size()));
        for (const Exception& e : b.exceptions) {
            write_u30(out, e.from);
            write_u30(out, e.to);
            write_u30(out, e.target);
            write_u30(out, e.type);
            write_u30(out, e.name);
        }
        write_traits(out, b.traits);
    }
    return out;
}

}  // namespace swf
