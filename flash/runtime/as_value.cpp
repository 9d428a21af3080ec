#include "flash/runtime/as_value.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <system_error>

#include "flash/base/array.h"
#include "flash/base/log.h"
#include "flash/runtime/engine_instance.h"
#include "flash/runtime/as_array.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/as_function.h"
#include "flash/runtime/as_global.h"
#include "flash/runtime/as_object.h"
#include "flash/runtime/as_string.h"

namespace flash {

namespace {


bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}
bool is_digit(char c) { return c >= '0' && c <= '9'; }

int digit_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    return 99;
}

// The magnitude of a decimal text that from_chars found out of range: overflow or underflow.
double out_of_range_value(const char* mant, const char* end) {
    int position = 0;  // decimal exponent of the first significant digit, plus one
    const char* p = mant;
    bool found = false;
    int int_digits = 0;
    while (p < end && is_digit(*p)) {
        if (*p != '0' && !found) found = true;
        if (found) ++int_digits;
        ++p;
    }
    position = int_digits;
    if (!found && p < end && *p == '.') {
        ++p;
        int zeros = 0;
        while (p < end && *p == '0') {
            ++zeros;
            ++p;
        }
        position = -zeros;
    }
    while (p < end && *p != 'e' && *p != 'E') ++p;
    long exponent = 0;
    if (p < end) {
        ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        while (p < end && is_digit(*p)) {
            if (exponent < 1000000) exponent = exponent * 10 + (*p - '0');
            ++p;
        }
        if (negative) exponent = -exponent;
    }
    return exponent + position > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

char g_address_buffer[32];

}  // namespace

constinit thread_local array<const ref_counted*>* t_release_queue = nullptr;

void as_release_queued(const ref_counted* object) {
    if (t_release_queue) {
        const int before = t_release_queue->size();
        t_release_queue->push_back(object);
        if (t_release_queue->size() != before) return;
        object->drop_ref();  // no room to queue it: release it now
        return;
    }
    array<const ref_counted*> queue;
    t_release_queue = &queue;
    object->drop_ref();
    while (queue.size() > 0) {
        const ref_counted* next = queue.back();
        queue.pop_back();
        next->drop_ref();
    }
    t_release_queue = nullptr;
}


bx_string number_to_string(double d) {
    if (std::isnan(d)) return bx_string("NaN");
    if (std::isinf(d)) return bx_string(d > 0 ? "Infinity" : "-Infinity");
    char buffer[50];
    std::snprintf(buffer, sizeof buffer, "%.14g", d);
    // A decimal comma of some C locale is not script syntax.
    for (char* p = buffer; *p; ++p) {
        if (*p == ',') *p = '.';
    }
    return bx_string(buffer);
}

bx_string address_text(const void* p) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%016llX",
                  static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(p)));
    return bx_string(buffer);
}

bool string_to_number(double* out, const char* text) {
    double value = 0.0;
    bool whole = false;
    if (text) {
        const char* p = text;
        while (is_space(*p)) ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        const char* mant = p;
        int digits = 0;
        while (is_digit(*p)) {
            ++p;
            ++digits;
        }
        if (*p == '.') {
            const char* q = p + 1;
            int fraction = 0;
            while (is_digit(*q)) {
                ++q;
                ++fraction;
            }
            if (digits + fraction > 0) {
                p = q;
                digits += fraction;
            }
        }
        if (digits > 0) {
            if (*p == 'e' || *p == 'E') {
                const char* q = p + 1;
                if (*q == '+' || *q == '-') ++q;
                if (is_digit(*q)) {
                    while (is_digit(*q)) ++q;
                    p = q;
                }
            }
            const std::from_chars_result r =
                std::from_chars(mant, p, value, std::chars_format::general);
            if (r.ec == std::errc::result_out_of_range) {
                value = out_of_range_value(mant, p);
            } else if (r.ec != std::errc()) {
                value = 0.0;
            }
            if (negative) value = -value;
            whole = *p == 0;
        }
    }
    if (out) *out = value;
    return whole;
}

bool string_to_number(int* out, const char* text, int base) {
    long long value = 0;
    bool whole = false;
    if (text && (base == 0 || (base >= 2 && base <= 36))) {
        const char* p = text;
        while (is_space(*p)) ++p;
        bool negative = false;
        if (*p == '+' || *p == '-') negative = *p++ == '-';
        if ((base == 0 || base == 16) && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
            digit_value(p[2]) < 16) {
            p += 2;
            base = 16;
        } else if (base == 0) {
            base = p[0] == '0' ? 8 : 10;
        }
        int digits = 0;
        while (digit_value(*p) < base) {
            if (value <= 0x7FFFFFFFLL + 1) value = value * base + digit_value(*p);
            ++p;
            ++digits;
        }
        if (digits > 0) {
            if (negative) value = -value;
            whole = *p == 0;
        }
        // The 32-bit C library clamps to the range of its long.
        if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
        if (value < -0x80000000LL) value = -0x80000000LL;
    }
    if (out) *out = static_cast<int>(value);
    return whole;
}

// as_property

as_property::as_property(const as_value& getter, const as_value& setter) {
    m_getter = getter.to_function();
    m_setter = setter.to_function();
    as_add_ref(m_getter);
    as_add_ref(m_setter);
}

as_property::~as_property() {
    as_release(m_getter);
    as_release(m_setter);
}

void as_property::get(as_object* target, as_value* out) const {
    // A script getter counts on the one nesting bound of calls when its actions run.
    if (!m_getter) return;
    smart_ptr<as_function> getter(m_getter);
    as_keep_alive keep(target);
    as_environment env(target ? target->get_player() : getter->get_player());
    as_value this_value(target);
    as_value result;
    fn_call fn(&result, target, &env, 0, env.get_top_index(), &this_value);
    (*getter)(fn);
    if (out) *out = result;
}

void as_property::set(as_object* target, const as_value& value) {
    if (!m_setter) return;
    smart_ptr<as_function> setter(m_setter);
    as_keep_alive keep(target);
    as_environment env(target ? target->get_player() : setter->get_player());
    env.push(value);
    as_value this_value(target);
    as_value scratch;
    fn_call fn(&scratch, target, &env, 1, 0, &this_value);
    (*setter)(fn);
}

// as_value

as_value::as_value(bool value) : m_type(BOOLEAN) { set_bool(value); }
as_value::as_value(int value) : m_type(NUMBER), m_number(value) {}
as_value::as_value(float value) : m_type(NUMBER), m_number(value) {}
as_value::as_value(double value) : m_type(NUMBER), m_number(value) {}
as_value::as_value(const char* text) : m_type(STRING), m_string(text) {}
as_value::as_value(const bx_string& text) : m_type(STRING), m_string(text) {}

as_value::as_value(const wchar_t* text) : m_type(STRING) {
    if (!text) return;
    for (const wchar_t* p = text; *p; ++p) {
        m_string.append_wide_char(static_cast<uint32_t>(*p));
    }
}

as_value::as_value(as_object* object) : m_type(OBJECT), m_object(object) { as_add_ref(m_object); }

as_value::as_value(as_c_function_ptr func) { set_as_c_function(func); }

as_value::as_value(const as_value& getter, const as_value& setter) : m_type(PROPERTY) {
    m_property = new as_property(getter, setter);
    as_add_ref(m_property);
}

void as_value::move_bound_property(as_value& other) {
    copy_assign(other);
    other.set_undefined();
}

as_value& as_value::move_assign(as_value&& v) noexcept {
    if (this == &v) return *this;
    if (v.m_type == PROPERTY && v.m_property_target) {
        // The getter's value is taken before v lets its references go, and v before this value
        // lets its own go: v may live in an object that only this value keeps alive.
        as_value result(static_cast<const as_value&>(v));
        v.set_undefined();
        return *this = static_cast<as_value&&>(result);
    }
    // The old references go only after v's are taken: v may live in an object that only this
    // value keeps alive.
    as_object* object = m_object;
    as_property* property = m_property;
    as_object* target = m_property_target;
    take(v);
    if (object || property || target) {
        as_release(object);
        as_release(property);
        as_release(target);
    }
    return *this;
}

void as_value::add_counted(as_object* object) { as_add_ref(object); }

void as_value::release_refs() {
    as_object* object = m_object;
    as_property* property = m_property;
    as_object* target = m_property_target;
    m_object = nullptr;
    m_property = nullptr;
    m_property_target = nullptr;
    m_flags = 0;
    as_release(object);
    as_release(property);
    as_release(target);
}

as_value& as_value::copy_assign(const as_value& v) {
    if (this == &v) return *this;
    if (m_object || m_property || m_property_target) {
        // v may live in an object that only this value keeps alive.
        as_value copy(v);
        drop_refs();
        return *this = copy;
    }
    switch (v.m_type) {
        case UNDEFINED:
            set_undefined();
            return *this;
        case BOOLEAN:
            set_bool(v.bool_payload());
            break;
        case NUMBER:
            set_double(v.m_number);
            break;
        case STRING:
            set_bx_string(v.m_string);
            break;
        case OBJECT:
            set_as_object(v.m_object);
            break;
        case PROPERTY:
            if (v.m_property_target) {
                as_value result = v.read_property();
                *this = result;
            } else {
                as_add_ref(v.m_property);
                drop_refs();
                m_type = PROPERTY;
                m_property = v.m_property;
            }
            break;
    }
    m_flags = v.m_flags;
    return *this;
}

void as_value::set_null() { set_as_object(nullptr); }

void as_value::set_nan() { set_double(std::numeric_limits<double>::quiet_NaN()); }


void as_value::set_as_object(as_object* object) {
    if (m_type == OBJECT && m_object == object) return;
    as_add_ref(object);
    drop_refs();
    m_type = OBJECT;
    m_object = object;
}

void as_value::set_as_c_function(as_c_function_ptr func) {
    set_as_object(new as_c_function(nullptr, func));
}

bool as_value::is_number() const { return m_type == NUMBER && !std::isnan(m_number); }

bool as_value::is_function() const {
    return m_type == OBJECT && m_object && m_object->is_function();
}

as_function* as_value::to_function() const {
    return is_function() ? static_cast<as_function*>(m_object) : nullptr;
}

as_property* as_value::to_property() const { return m_type == PROPERTY ? m_property : nullptr; }

as_object* as_value::get_property_target() const {
    return m_type == PROPERTY ? m_property_target : nullptr;
}

void as_value::set_property_target(as_object* target) {
    if (m_type != PROPERTY || m_property_target == target) return;
    as_add_ref(target);
    as_object* old = m_property_target;
    m_property_target = target;
    as_release(old);
}

void as_value::get_property(as_value* out) const {
    if (m_type == PROPERTY && m_property) m_property->get(m_property_target, out);
}

void as_value::set_property(const as_value& value) {
    if (m_type == PROPERTY && m_property) {
        smart_ptr<as_property> keep(m_property);
        keep->set(m_property_target, value);
    }
}

as_value as_value::read_property() const {
    as_value result;
    if (m_type == PROPERTY && m_property) {
        smart_ptr<as_property> keep(m_property);
        keep->get(m_property_target, &result);
    }
    return result;
}

double as_value::convert_to_number() const {
    switch (m_type) {
        case UNDEFINED:
            return std::numeric_limits<double>::quiet_NaN();
        case BOOLEAN:
            return bool_payload() ? 1.0 : 0.0;
        case NUMBER:
            return m_number;
        case STRING: {
            double d;
            return string_to_number(&d, m_string.c_str()) ? d : 0.0;
        }
        case OBJECT:
            return m_object ? m_object->to_number() : 0.0;
        case PROPERTY:
            return read_property().to_number();
    }
    return 0.0;
}


float as_value::to_float() const { return static_cast<float>(to_number()); }

bool as_value::convert_to_bool() const {
    switch (m_type) {
        case UNDEFINED:
            return false;
        case BOOLEAN:
            return bool_payload();
        case NUMBER:
            return !(m_number == 0.0);
        case STRING:
            return m_string.size() > 0;
        case OBJECT:
            return m_object ? m_object->to_bool() : false;
        case PROPERTY:
            return read_property().to_bool();
    }
    return false;
}

const bx_string& as_value::convert_to_bx_string() const {
    switch (m_type) {
        case UNDEFINED:
            m_string = "undefined";
            break;
        case BOOLEAN:
            m_string = bool_payload() ? "true" : "false";
            break;
        case NUMBER:
            m_string = number_to_string(m_number);
            break;
        case STRING:
            break;
        case OBJECT:
            if (m_object) {
                as_keep_alive keep(m_object);
                const char* text = m_object->to_string();
                m_string = text ? text : "";
            } else {
                m_string = "null";
            }
            break;
        case PROPERTY: {
            as_value result = read_property();
            m_string = result.to_bx_string();
            break;
        }
    }
    return m_string;
}

const bx_stringi& as_value::to_bx_stringi() const { return to_bx_string().to_bx_stringi(); }

const char* as_value::to_string() const { return to_bx_string().c_str(); }

const char* as_value::to_xstring() const {
    if (m_type == OBJECT) {
        std::snprintf(g_address_buffer, sizeof g_address_buffer, "0x%s",
                      address_text(m_object).c_str());
        return g_address_buffer;
    }
    return to_string();
}

const char* as_value::type_of() const {
    switch (m_type) {
        case UNDEFINED:
            return "undefined";
        case BOOLEAN:
            return "boolean";
        case NUMBER:
            return "number";
        case STRING:
            return "string";
        case OBJECT:
            return m_object ? m_object->type_of() : "null";
        case PROPERTY: {
            // The text must outlive the getter's result: every type text is a literal.
            as_value result = read_property();
            if (result.m_type == PROPERTY) return "undefined";
            return result.type_of();
        }
    }
    return "undefined";
}

bool as_value::operator==(const as_value& v) const {
    if (m_type != PROPERTY && v.m_type != PROPERTY && m_type != v.m_type) {
        return (m_type == UNDEFINED && v.is_null()) || (is_null() && v.m_type == UNDEFINED);
    }
    switch (m_type) {
        case UNDEFINED:
            return v.m_type == UNDEFINED;
        case BOOLEAN:
            return bool_payload() == v.to_bool();
        case NUMBER:
            return m_number == v.to_number();
        case STRING:
            return m_string == v.to_bx_string();
        case OBJECT:
            return m_object == v.to_object();
        case PROPERTY:
            return read_property() == v;
    }
    return false;
}

bool as_value::operator<(double v) const { return to_number() < v; }

as_value& as_value::operator+=(double v) {
    set_double(to_number() + v);
    return *this;
}
as_value& as_value::operator-=(double v) {
    set_double(to_number() - v);
    return *this;
}
as_value& as_value::operator*=(double v) {
    set_double(to_number() * v);
    return *this;
}
as_value& as_value::operator/=(double v) {
    set_double(to_number() / v);
    return *this;
}
as_value& as_value::operator&=(int v) {
    set_int(to_int() & v);
    return *this;
}
as_value& as_value::operator|=(int v) {
    set_int(to_int() | v);
    return *this;
}
as_value& as_value::operator^=(int v) {
    set_int(to_int() ^ v);
    return *this;
}

void as_value::shl(int n) {
    set_int(static_cast<int>(static_cast<uint32_t>(to_int()) << (n & 31)));
}

void as_value::asr(int n) { set_int(to_int() >> (n & 31)); }

void as_value::lsr(int n) {
    const double d = to_number();
    // The x86 conversion to 64 bits: NaN and values out of range give 0x8000000000000000.
    uint64_t bits = 0x8000000000000000ULL;
    if (d > -9223372036854775808.0 && d < 9223372036854775808.0) {
        bits = static_cast<uint64_t>(static_cast<int64_t>(d));
    }
    const uint32_t low = static_cast<uint32_t>(bits) >> (n & 31);
    set_int(static_cast<int>(low));
}

bool as_value::abstract_equals(const as_value& other) const {
    if (m_type == PROPERTY) return read_property().abstract_equals(other);
    if (other.m_type == PROPERTY) return abstract_equals(other.read_property());
    const char* a = type_of();
    const char* b = other.type_of();
    if (std::strcmp(a, b) == 0) {
        switch (m_type) {
            case UNDEFINED:
                return true;
            case NUMBER: {
                const double x = m_number;
                const double y = other.m_number;
                return !std::isnan(x) && !std::isnan(y) && x == y;
            }
            case STRING:
                return m_string == other.m_string;
            case BOOLEAN:
                return to_bool() == other.to_bool();
            default:
                return to_object() == other.to_object();
        }
    }
    if ((m_type == UNDEFINED && other.is_null()) || (is_null() && other.m_type == UNDEFINED)) {
        return true;
    }
    if ((is_number() && other.m_type == STRING) || (m_type == STRING && other.is_number()) ||
        m_type == BOOLEAN || other.m_type == BOOLEAN) {
        return to_number() == other.to_number();
    }
    return false;
}

as_value as_value::abstract_less(const as_value& other) const {
    return as_value(to_number() < other.to_number());
}

namespace {
bool wraps(const as_function* ctor, as_c_function_ptr routine) {
    const as_c_function* native = cast_to<as_c_function>(ctor);
    return native && native->get_function() == routine;
}
}  // namespace

bool as_value::instance_of(const as_function* ctor) const {
    switch (m_type) {
        case BOOLEAN:
            return wraps(ctor, as_global_boolean_ctor) || wraps(ctor, as_object_ctor);
        case NUMBER:
            return wraps(ctor, as_global_number_ctor) || wraps(ctor, as_object_ctor);
        case STRING:
            return wraps(ctor, string_ctor) || wraps(ctor, as_object_ctor);
        case OBJECT:
            return m_object && m_object->instance_of(ctor);
        default:
            return false;
    }
}

bool as_value::get_member(const bx_stringi& name, as_value* out) const {
    switch (m_type) {
        case BOOLEAN:
            return engine_instance::get_builtin(BUILTIN_BOOLEAN_METHOD, name, out);
        case NUMBER:
            return engine_instance::get_builtin(BUILTIN_NUMBER_METHOD, name, out);
        case STRING:
            // Compiled movies read s.length as a member: it is the byte count, not the method.
            if (name == "length") {
                if (out) out->set_int(m_string.size());
                return true;
            }
            return engine_instance::get_builtin(BUILTIN_STRING_METHOD, name, out);
        case OBJECT:
            return m_object ? m_object->get_member(name, out) : false;
        default:
            return false;
    }
}

bool as_value::find_property(const bx_stringi& name, as_value* owner) const {
    int id = -1;
    switch (m_type) {
        case BOOLEAN:
            id = BUILTIN_BOOLEAN_METHOD;
            break;
        case NUMBER:
            id = BUILTIN_NUMBER_METHOD;
            break;
        case STRING:
            id = BUILTIN_STRING_METHOD;
            break;
        case OBJECT:
            return m_object ? m_object->find_property(name, owner) : false;
        default:
            return false;
    }
    if (!engine_instance::get_builtin(id, name, nullptr)) return false;
    if (owner) *owner = *this;
    return true;
}

}  // namespace flash
