#pragma once
// Attribute trees: named, typed values nested in objects. The description data of levels,
// profiles, effects, fonts, resource lists and settings. Seven value types, each with a text form
// (the form stored in XML files, see attr_xml.h).
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>

#include "core/data_chunk.h"
#include "core/shared_ptr.h"

namespace Attr {

enum TypeId : int {
    TYPE_BINARY = 0,
    TYPE_BOOLEAN = 1,
    TYPE_WIDESTRING = 2,
    TYPE_INTEGER = 3,
    TYPE_FLOAT = 4,
    TYPE_STRING = 5,
    TYPE_OBJECT = 6,
};

class AbstractAttribute;
class AttributeSet;
template <int N>
class TypedAttribute;

using AttributePtr = SharedPtr<AbstractAttribute>;
using AttributeSetPtr = SharedPtr<AttributeSet>;
using DataChunkPtr = SharedPtr<Tov::DataChunk>;

// The stored value type of each type id (wide strings are UTF-16, as everywhere in the system).
template <int N>
struct ValueTypeOf;
template <> struct ValueTypeOf<TYPE_BINARY> { using type = DataChunkPtr; };
template <> struct ValueTypeOf<TYPE_BOOLEAN> { using type = bool; };
template <> struct ValueTypeOf<TYPE_WIDESTRING> { using type = std::u16string; };
template <> struct ValueTypeOf<TYPE_INTEGER> { using type = int32_t; };
template <> struct ValueTypeOf<TYPE_FLOAT> { using type = double; };
template <> struct ValueTypeOf<TYPE_STRING> { using type = std::string; };
template <> struct ValueTypeOf<TYPE_OBJECT> { using type = AttributeSetPtr; };

// The type id whose stored value is T (-1 for none).
template <class T>
constexpr int typeIdOfValue() {
    if constexpr (std::is_same_v<T, DataChunkPtr>) return TYPE_BINARY;
    else if constexpr (std::is_same_v<T, bool>) return TYPE_BOOLEAN;
    else if constexpr (std::is_same_v<T, std::u16string>) return TYPE_WIDESTRING;
    else if constexpr (std::is_same_v<T, int32_t>) return TYPE_INTEGER;
    else if constexpr (std::is_same_v<T, double>) return TYPE_FLOAT;
    else if constexpr (std::is_same_v<T, std::string>) return TYPE_STRING;
    else if constexpr (std::is_same_v<T, AttributeSetPtr>) return TYPE_OBJECT;
    else return -1;
}

// Integers and booleans are handed out by value, the rest by address.
template <int N>
using ValueAccess = std::conditional_t<N == TYPE_BOOLEAN || N == TYPE_INTEGER,
                                       typename ValueTypeOf<N>::type, typename ValueTypeOf<N>::type*>;

// The shared type name of a type id ("" for an unknown id). Also the XML element name.
const std::string& typeNameOf(int typeId);

// The shared empty attribute returned by lookups that find nothing.
const AttributePtr& emptyAttribute();
// The shared empty set pointer.
const AttributeSetPtr& emptySet();

// A new attribute of the type with its default value; the empty attribute for an unknown id.
AttributePtr createAttribute(int typeId, const std::string& name);
// The same, choosing the type by its exact (case-sensitive) type name.
AttributePtr createAttributeByTypeName(const std::string& typeName, const std::string& name);

class AbstractAttribute {
public:
    explicit AbstractAttribute(const std::string& name) : m_name(name) {}
    virtual ~AbstractAttribute() = default;
    AbstractAttribute(const AbstractAttribute&) = delete;
    AbstractAttribute& operator=(const AbstractAttribute&) = delete;

    virtual int typeId() const = 0;
    virtual const std::string& typeName() const = 0;
    virtual void valueToString(std::string& out) const = 0;
    virtual std::string valueAsString() const = 0;
    virtual void setValueFromString(const std::string& text) = 0;
    // Scalars and strings share this node's value container with the clone (until one detaches);
    // an object gets a new set of cloned children, each detached when `deep` is set.
    // A null `newName` keeps this node's name.
    virtual AttributePtr clone(const std::string* newName, bool deep) const = 0;
    // Gives this node a value container of its own.
    virtual void detachValue() = 0;

    const std::string& name() const { return m_name; }
    bool flag() const { return m_flag; }
    void setValueString(const char* text) { setValueFromString(text ? std::string(text) : std::string()); }

    // Copies the value out when the node has the type of `out` and returns true. A string `out`
    // takes the text form of any type. Otherwise `out` is left alone, a WARNING is logged and the
    // result is false.
    template <class T>
    bool getValue(T& out) const;

private:
    friend class AttributeSet;  // renames go through the set that keys the node by its name
    std::string m_name;
    bool m_flag = true;
};

template <int N>
class AttributeValue {
public:
    using ValueType = typename ValueTypeOf<N>::type;
    virtual ~AttributeValue() = default;
    virtual void get(ValueType& out) const = 0;
    virtual ValueType value() const = 0;
    virtual ValueAccess<N> access() = 0;
    virtual void set(const ValueType& value) = 0;
};

template <int N>
class ValueContainer : public AttributeValue<N> {
public:
    using ValueType = typename ValueTypeOf<N>::type;
    explicit ValueContainer(const ValueType& value) : m_value(value) {}
    void get(ValueType& out) const override { out = m_value; }
    ValueType value() const override { return m_value; }
    ValueAccess<N> access() override {
        if constexpr (N == TYPE_BOOLEAN || N == TYPE_INTEGER) return m_value;
        else return &m_value;
    }
    void set(const ValueType& value) override { m_value = value; }

private:
    ValueType m_value;
};

template <int N>
class TypedAttribute : public AbstractAttribute {
public:
    using ValueType = typename ValueTypeOf<N>::type;
    using Container = ValueContainer<N>;

    TypedAttribute(const std::string& name, const ValueType& initial)
        : AbstractAttribute(name), m_value(new Container(initial)) {}

    int typeId() const override { return N; }
    const std::string& typeName() const override { return typeNameOf(N); }
    void valueToString(std::string& out) const override;
    std::string valueAsString() const override {
        std::string out;
        valueToString(out);
        return out;
    }
    void setValueFromString(const std::string& text) override;
    AttributePtr clone(const std::string* newName, bool deep) const override;
    void detachValue() override { m_value = SharedPtr<Container>(new Container(m_value->value())); }

    ValueType value() const { return m_value->value(); }
    void setValue(const ValueType& value) { m_value->set(value); }
    const SharedPtr<Container>& container() const { return m_value; }
    void shareContainer(const SharedPtr<Container>& container) { m_value = container; }

private:
    SharedPtr<Container> m_value;
};

// Object children ordered by name length, then by the names' bytes compared unsigned.
struct NameOrder {
    bool operator()(const std::string& a, const std::string& b) const;
};

class AttributeSet {
public:
    using Map = std::map<std::string, AttributePtr, NameOrder>;
    using const_iterator = Map::const_iterator;

    // The child of that name, or the empty attribute.
    const AttributePtr& find(const std::string& name) const;
    // Creates a child by createAttribute and inserts it; when the name is present the existing
    // child stays (and a WARNING tells that the returned node is not in the set).
    AttributePtr add(int typeId, const std::string& name);
    // Inserts under the attribute's own name; false (nothing changes) when the name is present.
    bool insert(const AttributePtr& attribute);
    bool erase(const std::string& name);
    // Re-keys a child: only when `from` is present and `to` is not.
    bool rename(const std::string& from, const std::string& to);
    void clear() { m_children.clear(); }

    size_t size() const { return m_children.size(); }
    bool empty() const { return m_children.empty(); }
    const_iterator begin() const { return m_children.begin(); }
    const_iterator end() const { return m_children.end(); }

private:
    Map m_children;
};

// Integers and booleans are handed out by value, so their text forms are written apart.
template <>
void TypedAttribute<TYPE_BOOLEAN>::valueToString(std::string& out) const;
template <>
void TypedAttribute<TYPE_INTEGER>::valueToString(std::string& out) const;

extern template class TypedAttribute<TYPE_BINARY>;
extern template class TypedAttribute<TYPE_BOOLEAN>;
extern template class TypedAttribute<TYPE_WIDESTRING>;
extern template class TypedAttribute<TYPE_INTEGER>;
extern template class TypedAttribute<TYPE_FLOAT>;
extern template class TypedAttribute<TYPE_STRING>;
extern template class TypedAttribute<TYPE_OBJECT>;

// Logs the WARNING of a read with the wrong type.
void warnTypeMismatch(const AbstractAttribute& attribute, int wantedType, const char* reader);

template <class T>
bool AbstractAttribute::getValue(T& out) const {
    constexpr int wanted = typeIdOfValue<T>();
    static_assert(wanted >= 0, "no attribute type stores this value type");
    if (typeId() == wanted) {
        static_cast<const TypedAttribute<wanted>*>(this)->container()->get(out);
        return true;
    }
    if constexpr (wanted == TYPE_STRING) {
        valueToString(out);
        return true;
    } else {
        warnTypeMismatch(*this, wanted, "Attr::AbstractAttribute::getValue");
        return false;
    }
}

}  // namespace Attr
