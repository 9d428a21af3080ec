#include "core/attr_tree.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <vector>

#include "core/base64.h"
#include "core/log_stream.h"

namespace Attr {

namespace {

// As the C library's atoi, but an out-of-range number saturates instead of being undefined.
int32_t parseInteger(const std::string& text) {
    const char* p = text.c_str();
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    int64_t value = 0;
    const int64_t limit = negative ? -static_cast<int64_t>(std::numeric_limits<int32_t>::min())
                                   : std::numeric_limits<int32_t>::max();
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit;  // keeps reading digits, result stays saturated
    }
    return static_cast<int32_t>(negative ? -value : value);
}

// Decimal commas are written by some tools; the reader takes them as points.
double parseFloat(const std::string& text) {
    std::string copy = text;
    for (char& c : copy)
        if (c == ',') c = '.';
    return std::strtod(copy.c_str(), nullptr);
}

// Decodes base64 text into bytes; false (and no bytes) when the text is not whole groups.
bool decodeBase64(const std::string& text, std::vector<uint8_t>& out, const char* who) {
    out.assign(text.size() / 4 * 3 + 3, 0);
    uint32_t length = 0;
    if (Tov::base64Decode(text.c_str(), out.data(), &length, out.size()) != 0) {
        Tov::LogLine("ERROR") << who << ": the text is no valid base64, the value is left empty";
        out.clear();
        return false;
    }
    out.resize(length);
    return true;
}

std::string encodeBase64(const uint8_t* bytes, size_t length) {
    std::vector<char> text(Tov::base64EncodedCapacity(length) + 10, 0);
    if (Tov::base64Encode(bytes, length, text.data(), text.size()) != 0) return std::string();
    return std::string(text.data());
}

// Wide strings are stored as their 16-bit units, low byte first, without a terminator.
std::string encodeWide(const std::u16string& value) {
    std::vector<uint8_t> bytes;
    bytes.reserve(value.size() * 2);
    for (char16_t unit : value) {
        bytes.push_back(static_cast<uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<uint8_t>(unit >> 8));
    }
    return encodeBase64(bytes.data(), bytes.size());
}

std::u16string decodeWide(const std::string& text) {
    std::vector<uint8_t> bytes;
    decodeBase64(text, bytes, "Attr::TypedAttribute<widestring>::setValueFromString");
    std::u16string out;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {  // an odd last byte is no whole unit
        char16_t unit = static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
        if (unit == 0) break;  // the string ends at the first zero unit
        out.push_back(unit);
    }
    return out;
}

template <int N>
typename ValueTypeOf<N>::type defaultValue() {
    if constexpr (N == TYPE_BINARY) return DataChunkPtr(new Tov::DataChunk());
    else if constexpr (N == TYPE_OBJECT) return AttributeSetPtr(new AttributeSet());
    else return typename ValueTypeOf<N>::type();
}

template <int N>
AttributePtr makeDefault(const std::string& name) {
    return AttributePtr(new TypedAttribute<N>(name, defaultValue<N>()));
}

const char* const kTypeNames[] = {"binary", "boolean", "widestring", "integer", "float", "string", "object"};

}  // namespace

const std::string& typeNameOf(int typeId) {
    static const std::string names[] = {kTypeNames[0], kTypeNames[1], kTypeNames[2], kTypeNames[3],
                                        kTypeNames[4], kTypeNames[5], kTypeNames[6]};
    static const std::string none;
    return (typeId >= 0 && typeId <= TYPE_OBJECT) ? names[typeId] : none;
}

const AttributePtr& emptyAttribute() {
    static const AttributePtr none;
    return none;
}

const AttributeSetPtr& emptySet() {
    static const AttributeSetPtr none;
    return none;
}

AttributePtr createAttribute(int typeId, const std::string& name) {
    switch (typeId) {
        case TYPE_BINARY: return makeDefault<TYPE_BINARY>(name);
        case TYPE_BOOLEAN: return makeDefault<TYPE_BOOLEAN>(name);
        case TYPE_WIDESTRING: return makeDefault<TYPE_WIDESTRING>(name);
        case TYPE_INTEGER: return makeDefault<TYPE_INTEGER>(name);
        case TYPE_FLOAT: return makeDefault<TYPE_FLOAT>(name);
        case TYPE_STRING: return makeDefault<TYPE_STRING>(name);
        case TYPE_OBJECT: return makeDefault<TYPE_OBJECT>(name);
        default: return emptyAttribute();
    }
}

AttributePtr createAttributeByTypeName(const std::string& typeName, const std::string& name) {
    for (int id = 0; id <= TYPE_OBJECT; ++id)
        if (typeName == kTypeNames[id]) return createAttribute(id, name);
    return emptyAttribute();
}

void warnTypeMismatch(const AbstractAttribute& attribute, int wantedType, const char* reader) {
    Tov::LogLine("WARNING") << reader << ": attribute \"" << attribute.name() << "\" is "
                            << attribute.typeName() << ", not " << typeNameOf(wantedType)
                            << "; the default is used";
}

// ---- text forms ----

template <int N>
void TypedAttribute<N>::valueToString(std::string& out) const {
    const ValueType& v = *m_value->access();
    if constexpr (N == TYPE_BINARY) {
        out = v.isNull() ? std::string() : encodeBase64(v->data(), v->size());
    } else if constexpr (N == TYPE_WIDESTRING) {
        out = encodeWide(v);
    } else if constexpr (N == TYPE_FLOAT) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.9g", v);
        out = buf;
    } else if constexpr (N == TYPE_STRING) {
        out = v;
    } else {
        out = "{...}";
    }
}

// Integers and booleans are handed out by value, so they have their own forms.
template <>
void TypedAttribute<TYPE_BOOLEAN>::valueToString(std::string& out) const {
    out = m_value->value() ? "true" : "false";
}

template <>
void TypedAttribute<TYPE_INTEGER>::valueToString(std::string& out) const {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(m_value->value()));
    out = buf;
}

template <int N>
void TypedAttribute<N>::setValueFromString(const std::string& text) {
    if constexpr (N == TYPE_BINARY) {
        std::vector<uint8_t> bytes;
        decodeBase64(text, bytes, "Attr::TypedAttribute<binary>::setValueFromString");
        m_value->set(DataChunkPtr(new Tov::DataChunk(bytes.data(), static_cast<uint32_t>(bytes.size()))));
    } else if constexpr (N == TYPE_BOOLEAN) {
        m_value->set(text == "true");
    } else if constexpr (N == TYPE_WIDESTRING) {
        m_value->set(decodeWide(text));
    } else if constexpr (N == TYPE_INTEGER) {
        m_value->set(parseInteger(text));
    } else if constexpr (N == TYPE_FLOAT) {
        m_value->set(parseFloat(text));
    } else if constexpr (N == TYPE_STRING) {
        m_value->set(text);
    } else {
        // An object has no text form: setting one drops every child.
        m_value->set(AttributeSetPtr(new AttributeSet()));
    }
}

template <int N>
AttributePtr TypedAttribute<N>::clone(const std::string* newName, bool deep) const {
    const std::string& name = newName ? *newName : this->name();
    if constexpr (N != TYPE_OBJECT) {
        (void)deep;
        auto* copy = new TypedAttribute<N>(name, ValueType());
        copy->shareContainer(m_value);
        return AttributePtr(copy);
    } else {
        AttributeSetPtr children(new AttributeSet());
        const AttributeSetPtr source = m_value->value();
        if (!source.isNull()) {
            for (const auto& entry : *source) {
                if (entry.second.isNull()) continue;
                AttributePtr child = entry.second->clone(nullptr, deep);
                if (deep) child->detachValue();
                children->insert(child);
            }
        }
        return AttributePtr(new TypedAttribute<TYPE_OBJECT>(name, children));
    }
}

template class TypedAttribute<TYPE_BINARY>;
template class TypedAttribute<TYPE_BOOLEAN>;
template class TypedAttribute<TYPE_WIDESTRING>;
template class TypedAttribute<TYPE_INTEGER>;
template class TypedAttribute<TYPE_FLOAT>;
template class TypedAttribute<TYPE_STRING>;
template class TypedAttribute<TYPE_OBJECT>;

// ---- the child set ----

bool NameOrder::operator()(const std::string& a, const std::string& b) const {
    if (a.size() != b.size()) return a.size() < b.size();
    return std::memcmp(a.data(), b.data(), a.size()) < 0;  // memcmp compares as unsigned char
}

const AttributePtr& AttributeSet::find(const std::string& name) const {
    auto it = m_children.find(name);
    return it == m_children.end() ? emptyAttribute() : it->second;
}

AttributePtr AttributeSet::add(int typeId, const std::string& name) {
    AttributePtr created = createAttribute(typeId, name);
    if (!created.isNull() && !insert(created))
        Tov::LogLine("WARNING") << "Attr::AttributeSet::add" << ": \"" << name
                                << "\" is present already; the new attribute is not kept";
    return created;
}

bool AttributeSet::insert(const AttributePtr& attribute) {
    if (attribute.isNull()) return false;
    return m_children.emplace(attribute->name(), attribute).second;
}

bool AttributeSet::erase(const std::string& name) { return m_children.erase(name) > 0; }

bool AttributeSet::rename(const std::string& from, const std::string& to) {
    auto it = m_children.find(from);
    if (it == m_children.end() || m_children.count(to) != 0) return false;
    AttributePtr child = it->second;
    m_children.erase(it);
    child->m_name = to;
    m_children.emplace(to, child);
    return true;
}

}  // namespace Attr
