#pragma once
// The tagged ActionScript value: undefined, boolean, number, string, object (null allowed;
// functions are objects) or a getter/setter property. Values are the stack slots, registers,
// arguments, results and object members of every script operation.
#include <cstdint>
#include <cstring>

#include "flash/base/bx_string.h"
#include "flash/base/numeric.h"
#include "flash/base/ref_counted.h"

namespace flash {

class as_object;
class as_function;
class as_environment;
struct fn_call;

typedef void (*as_c_function_ptr)(const fn_call& fn);

// Member flags kept on a value while it is stored in an object.
enum as_member_flag {
    AS_DONT_ENUM = 1,
    AS_DONT_DELETE = 2,
    AS_READ_ONLY = 4,
};

class as_value;

// A getter/setter pair; each side is a function or absent.
class as_property : public ref_counted {
public:
    as_property(const as_value& getter, const as_value& setter);
    ~as_property() override;

    // Calls the getter on target (nothing written when there is none).
    void get(as_object* target, as_value* out) const;
    // Calls the setter on target with one argument.
    void set(as_object* target, const as_value& value);

    as_function* get_getter() const { return m_getter; }
    as_function* get_setter() const { return m_setter; }

private:
    as_function* m_getter = nullptr;  // counted
    as_function* m_setter = nullptr;  // counted
};

class as_value {
public:
    enum type {
        UNDEFINED = 0,
        BOOLEAN = 1,
        NUMBER = 2,
        STRING = 3,
        OBJECT = 4,
        PROPERTY = 5,
    };

    as_value() {}
    as_value(bool value);
    as_value(int value);
    as_value(float value);
    as_value(double value);
    as_value(const char* text);
    as_value(const wchar_t* text);
    as_value(const bx_string& text);
    as_value(as_object* object);
    as_value(as_c_function_ptr func);
    // A PROPERTY over a new as_property(getter, setter), not bound to a target.
    as_value(const as_value& getter, const as_value& setter);
    // Copies and moves of numbers and texts, the bulk of the stack traffic, are inline; values
    // with references go through the full rules.
    as_value(const as_value& other) {
        if (other.m_type == NUMBER) {
            m_type = NUMBER;
            m_number = other.m_number;
            m_flags = other.m_flags;
            return;
        }
        if (other.m_type == OBJECT) {
            take_object_of(other);
            return;
        }
        copy_assign(other);
    }
    // Moving takes the references over and leaves other undefined; a bound PROPERTY is read
    // through its getter as a copy is.
    as_value(as_value&& other) noexcept {
        if (other.m_type == PROPERTY && other.m_property_target) {
            move_bound_property(other);
            return;
        }
        take(other);
    }
    ~as_value() { drop_refs(); }

    as_value& operator=(const as_value& other) {
        if (other.m_type == NUMBER && !holds_refs()) {
            m_type = NUMBER;
            m_number = other.m_number;
            m_flags = other.m_flags;
            return *this;
        }
        if (other.m_type == OBJECT && !holds_refs()) {
            take_object_of(other);
            return *this;
        }
        if (other.m_type == STRING && !holds_refs() && this != &other) {
            m_type = STRING;
            m_string = other.m_string;
            m_flags = other.m_flags;
            return *this;
        }
        return copy_assign(other);
    }
    as_value& operator=(as_value&& other) noexcept {
        if (other.m_type != PROPERTY && !holds_refs() && this != &other) {
            take(other);
            return *this;
        }
        return move_assign(static_cast<as_value&&>(other));
    }

    type get_type() const { return m_type; }
    int get_flags() const { return m_flags; }
    void set_flags(int flags) { m_flags = flags; }

    // Releases object, property and property target, and clears the flags.
    void drop_refs() {
        m_flags = 0;
        if (holds_refs()) release_refs();
    }

    void set_undefined() {
        // The value is changed before anything is released: releasing may free the object this
        // value lives in.
        const bool refs = holds_refs();
        m_type = UNDEFINED;
        m_flags = 0;
        if (refs) release_refs();
    }
    // The same, with the release of an object inline; defined where as_object is complete
    // (as_object.h): every script call clears its this object so.
    inline void set_undefined_releasing_object();
    // Becomes an OBJECT value from a value that holds no references, the count taken inline;
    // defined in as_object.h: every script call sets its this object so.
    inline void become_object(as_object* object);
    void set_null();
    void set_bool(bool value) {
        drop_refs();
        m_type = BOOLEAN;
        m_number = 0.0;
        const unsigned char byte = value ? 1 : 0;
        std::memcpy(&m_number, &byte, 1);
    }
    void set_int(int value) { set_double(value); }
    void set_double(double value) {
        drop_refs();
        m_type = NUMBER;
        m_number = value;
    }
    void set_nan();
    void set_string(const char* text) {
        drop_refs();
        m_type = STRING;
        m_string = text ? text : "";
    }
    // Inline: names pushed by action code come through here, with their hash.
    void set_bx_string(const bx_string& text) {
        drop_refs();
        m_type = STRING;
        if (&text != &m_string) m_string = text;
    }
    // A STRING of count bytes that hold no NUL.
    void set_string(const char* text, int count) {
        drop_refs();
        m_type = STRING;
        m_string.set_bytes(text, count);
    }
    void set_as_object(as_object* object);
    void set_as_c_function(as_c_function_ptr func);

    bool is_undefined() const { return m_type == UNDEFINED; }
    bool is_bool() const { return m_type == BOOLEAN; }
    bool is_string() const { return m_type == STRING; }
    bool is_object() const { return m_type == OBJECT; }
    bool is_property() const { return m_type == PROPERTY; }
    bool is_null() const { return m_type == OBJECT && m_object == nullptr; }
    // NUMBER and not NaN.
    bool is_number() const;
    bool is_function() const;

    as_object* to_object() const { return m_type == OBJECT ? m_object : nullptr; }
    as_function* to_function() const;
    as_property* to_property() const;
    as_object* get_property_target() const;
    // Binds a PROPERTY to the object on which its getter and setter run (counted).
    void set_property_target(as_object* target);
    // Calls the getter of a PROPERTY on its target.
    void get_property(as_value* out) const;
    // Calls the setter of a PROPERTY on its target.
    void set_property(const as_value& value);

    // Numbers, booleans and texts answer the conversions the operators ask for most inline.
    double to_number() const { return m_type == NUMBER ? m_number : convert_to_number(); }
    // Truncated toward zero; NaN and values outside the 32-bit range give INT32_MIN.
    int to_int() const;  // inline below, after double_to_int
    float to_float() const;
    bool to_bool() const {
        if (m_type == BOOLEAN) return bool_payload();
        if (m_type == NUMBER) return !(m_number == 0.0);
        return convert_to_bool();
    }
    // The text is written into this value's own string field (except for a STRING).
    const bx_string& to_bx_string() const {
        return m_type == STRING ? m_string : convert_to_bx_string();
    }
    const bx_stringi& to_bx_stringi() const;
    const char* to_string() const;
    // For an OBJECT its address, else to_string().
    const char* to_xstring() const;
    const char* type_of() const;

    // Equality of the ActionScript 1/2 operators: across types only undefined == null.
    bool operator==(const as_value& v) const;
    bool operator!=(const as_value& v) const { return !(*this == v); }
    bool operator<(double v) const;

    as_value& operator+=(double v);
    as_value& operator-=(double v);
    as_value& operator*=(double v);
    as_value& operator/=(double v);
    as_value& operator&=(int v);
    as_value& operator|=(int v);
    as_value& operator^=(int v);
    void shl(int n);
    void asr(int n);
    void lsr(int n);

    // The abstract comparisons of the ActionScript 3 interpreter.
    bool abstract_equals(const as_value& v) const;
    as_value abstract_less(const as_value& v) const;
    // Whether this value is an instance of the constructor function ctor.
    bool instance_of(const as_function* ctor) const;

    // Member access on any value: primitives read their class's builtin method table.
    bool get_member(const bx_stringi& name, as_value* out) const;
    bool find_property(const bx_stringi& name, as_value* owner) const;

private:
    // Only objects and properties hold references: every other type leaves the three pointers
    // null (each change of type goes through drop_refs, or takes another value's pointers along
    // with its type), so the type alone answers.
    bool holds_refs() const { return m_type >= OBJECT; }
    // Becomes a counted copy of other, an OBJECT, from a value that holds no references.
    void take_object_of(const as_value& other) {
        add_counted(other.m_object);
        m_type = OBJECT;
        m_object = other.m_object;
        m_flags = other.m_flags;
    }
    // as_add_ref of an object (null allowed), which is incomplete here.
    static void add_counted(as_object* object);
    double convert_to_number() const;
    bool convert_to_bool() const;
    const bx_string& convert_to_bx_string() const;
    void release_refs();
    as_value& copy_assign(const as_value& other);
    as_value& move_assign(as_value&& other) noexcept;
    void move_bound_property(as_value& other);
    // Takes over other's content and references; other is left undefined.
    void take(as_value& other) {
        m_type = other.m_type;
        if (m_type == STRING) m_string = static_cast<bx_string&&>(other.m_string);
        m_number = other.m_number;
        m_object = other.m_object;
        m_property = other.m_property;
        m_property_target = other.m_property_target;
        m_flags = other.m_flags;
        other.m_object = nullptr;
        other.m_property = nullptr;
        other.m_property_target = nullptr;
        other.m_flags = 0;
        other.m_type = UNDEFINED;
    }
    // The value a PROPERTY's getter gives on its target.
    as_value read_property() const;
    // A BOOLEAN keeps its bool in the first byte of the number field.
    bool bool_payload() const {
        unsigned char byte;
        std::memcpy(&byte, &m_number, 1);
        return byte != 0;
    }

    // The fields every copy of a number or an object reads come first, in one 24-byte run; the
    // text, which only texts read, comes last; nothing pads the value.
    type m_type = UNDEFINED;
    int m_flags = 0;
    double m_number = 0.0;
    as_object* m_object = nullptr;           // counted
    as_object* m_property_target = nullptr;  // counted
    as_property* m_property = nullptr;       // counted
    mutable bx_string m_string;
};

// Decimal, locale-independent: leading white space, optional sign, digits with an optional
// fraction and exponent. True only when at least one character was taken and the whole text
// consumed; *out receives the number of the parsed prefix either way (0 when none).
bool string_to_number(double* out, const char* text);
// The same rule for integers in base 2 to 36 (base 16 also takes a "0x" prefix, base 0 picks
// the base from the prefix); values beyond 32 bits are clamped.
bool string_to_number(int* out, const char* text, int base);

// The engine's conversions, exposed for the builtins: double to int32 (INT32_MIN for NaN and out
// of range), and a number's text ("NaN", "Infinity", "-Infinity", else "%.14g").
inline int double_to_int(double d) {
    // The x86 conversion: NaN and values outside the range give INT32_MIN.
    return truncates_to_int(d) ? static_cast<int>(d) : INT32_MIN;
}
inline int as_value::to_int() const { return double_to_int(to_number()); }
bx_string number_to_string(double d);

// An address as 16 upper-case hexadecimal digits: one width on every build, unlike "%p".
bx_string address_text(const void* p);

// Counted-reference helpers for engine objects held by raw pointer. Releases are queued while a
// release is running, so long chains of objects are freed in a loop instead of by recursion.
inline void as_add_ref(const ref_counted* object) {
    if (object) object->add_ref();
}
// Releases that happen while another release runs wait here, so that freeing a long chain of
// objects runs in a loop instead of one nested destructor per link.
template <class T>
class array;
extern constinit thread_local array<const ref_counted*>* t_release_queue;
void as_release_queued(const ref_counted* object);
// Inline: outside a running release, a count that stays above 0 frees nothing and needs no queue.
inline void as_release(const ref_counted* object) {
    if (!object) return;
    if (!t_release_queue && object->get_ref_count() > 1) {
        object->drop_ref();
        return;
    }
    as_release_queued(object);
}

// Holds a counted reference for the length of a call. An object with a count of 0 is held by a
// plain pointer of its owner: it is left alone, since releasing it again would delete it.
class as_keep_alive {
public:
    explicit as_keep_alive(const ref_counted* object)
        : m_object(object && object->get_ref_count() > 0 ? object : nullptr) {
        as_add_ref(m_object);
    }
    ~as_keep_alive() { as_release(m_object); }
    as_keep_alive(const as_keep_alive&) = delete;
    as_keep_alive& operator=(const as_keep_alive&) = delete;

private:
    const ref_counted* m_object;
};

}  // namespace flash
