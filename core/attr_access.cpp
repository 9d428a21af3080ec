#include "core/attr_access.h"

#include "core/log_stream.h"

namespace Attr {

namespace {

AttributeSet* setOf(const AttributePtr& object, const char* who) {
    if (object.isNull()) return nullptr;
    if (object->typeId() != TYPE_OBJECT) {
        Tov::LogLine("WARNING") << who << ": attribute \"" << object->name() << "\" is "
                                << object->typeName() << ", not an object";
        return nullptr;
    }
    return static_cast<TypedAttribute<TYPE_OBJECT>*>(object.get())->container()->value().get();
}

const AttributeSet& noChildren() {
    static const AttributeSet none;
    return none;
}

template <int N>
typename ValueTypeOf<N>::type valueOr(const AttributePtr& attribute, const typename ValueTypeOf<N>::type& fallback,
                                      const char* who) {
    if (attribute.isNull()) return fallback;
    if (attribute->typeId() != N) {
        warnTypeMismatch(*attribute, N, who);
        return fallback;
    }
    return static_cast<const TypedAttribute<N>*>(attribute.get())->value();
}

}  // namespace

AttributeSet* childrenOf(const AttributePtr& object) { return setOf(object, "Attr::childrenOf"); }

AttributePath makePath(std::initializer_list<std::string> parts) {
    AttributePath head;
    PathNode* tail = nullptr;
    for (const std::string& part : parts) {
        AttributePath node(new PathNode{part, AttributePath()});
        if (tail) tail->next = node;
        else head = node;
        tail = node.get();
    }
    return head;
}

AttributePath parsePath(const std::string& dotted) {
    if (dotted.empty()) return AttributePath();
    AttributePath head;
    PathNode* tail = nullptr;
    size_t start = 0;
    while (true) {
        size_t dot = dotted.find('.', start);
        AttributePath node(new PathNode{dotted.substr(start, dot - start), AttributePath()});
        if (tail) tail->next = node;
        else head = node;
        tail = node.get();
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return head;
}

const AttributePtr& findAttribute(const AttributePtr& object, const std::string& name) {
    AttributeSet* set = setOf(object, "Attr::findAttribute");
    return set ? set->find(name) : emptyAttribute();
}

AttributePtr getOrCreateAttribute(const AttributePtr& object, const std::string& name, int typeId) {
    AttributeSet* set = setOf(object, "Attr::getOrCreateAttribute");
    if (!set) return emptyAttribute();
    const AttributePtr& present = set->find(name);
    if (!present.isNull()) return present;
    return set->add(typeId, name);
}

AttributePtr getChildShared(const AttributePtr& object, const std::string& name, int typeId, bool create) {
    return create ? getOrCreateAttribute(object, name, typeId) : findAttribute(object, name);
}

AttributePtr getStringAttribute(const AttributePtr& object, const std::string& name, bool create) {
    return getChildShared(object, name, TYPE_STRING, create);
}

AttributePtr getBoolAttribute(const AttributePtr& object, const std::string& name, bool create) {
    return getChildShared(object, name, TYPE_BOOLEAN, create);
}

AttributePtr getIntAttribute(const AttributePtr& object, const std::string& name, bool create) {
    return getChildShared(object, name, TYPE_INTEGER, create);
}

std::string stringValueOr(const AttributePtr& attribute, const std::string& fallback) {
    return valueOr<TYPE_STRING>(attribute, fallback, "Attr::stringValueOr");
}

bool boolValueOr(const AttributePtr& attribute, bool fallback) {
    return valueOr<TYPE_BOOLEAN>(attribute, fallback, "Attr::boolValueOr");
}

int32_t scalarValueOr(const AttributePtr& attribute, int32_t fallback) {
    return valueOr<TYPE_INTEGER>(attribute, fallback, "Attr::scalarValueOr");
}

double scalarValueOr(const AttributePtr& attribute, double fallback) {
    return valueOr<TYPE_FLOAT>(attribute, fallback, "Attr::scalarValueOr");
}

AttributeSet::const_iterator attributesBegin(const AttributePtr& object) {
    AttributeSet* set = setOf(object, "Attr::attributesBegin");
    return set ? set->begin() : noChildren().begin();
}

AttributeSet::const_iterator attributesEnd(const AttributePtr& object) {
    AttributeSet* set = setOf(object, "Attr::attributesEnd");
    return set ? set->end() : noChildren().end();
}

const AttributePtr& findByPath(const AttributePtr& object, const AttributePath& path) {
    if (path.isNull()) return emptyAttribute();
    const AttributePtr* current = &object;
    for (const PathNode* node = path.get(); node; node = node->next.get()) {
        if (current->isNull() || (*current)->typeId() != TYPE_OBJECT) return emptyAttribute();
        const AttributeSet* set = setOf(*current, "Attr::findByPath");
        if (!set) return emptyAttribute();  // an object whose set was set to none
        const AttributePtr& found = set->find(node->part);
        if (found.isNull()) return emptyAttribute();
        current = &found;
    }
    return *current;
}

AttributePtr getOrCreateByPath(const AttributePtr& object, const AttributePath& path, int typeId) {
    if (path.isNull()) return emptyAttribute();
    AttributePtr current = object;
    for (const PathNode* node = path.get(); node; node = node->next.get()) {
        current = getOrCreateAttribute(current, node->part, node->next.isNull() ? typeId : TYPE_OBJECT);
        if (current.isNull()) return emptyAttribute();
    }
    return current;
}

std::string pathOf(const AttributePtr& object, const AttributePtr& attribute) {
    if (attribute.isNull() || object.isNull() || object->typeId() != TYPE_OBJECT) return std::string();
    AttributeSet* set = setOf(object, "Attr::pathOf");
    if (!set) return std::string();
    if (!set->find(attribute->name()).isNull()) return attribute->name();
    for (const auto& entry : *set) {
        if (entry.second.isNull() || entry.second->typeId() != TYPE_OBJECT) continue;
        std::string inner = pathOf(entry.second, attribute);
        if (!inner.empty()) return entry.first + "." + inner;
    }
    return std::string();
}

bool renameByPath(const AttributePtr& object, const AttributePath& from, const AttributePath& to) {
    if (from.isNull() || to.isNull()) return false;
    AttributePtr current = object;
    const PathNode* f = from.get();
    const PathNode* t = to.get();
    while (true) {
        AttributeSet* set = setOf(current, "Attr::renameByPath");
        if (!set) return false;
        bool fLast = f->next.isNull();
        bool tLast = t->next.isNull();
        if (fLast && tLast) return set->rename(f->part, t->part);
        if (fLast != tLast || f->part != t->part) return false;
        const AttributePtr& child = set->find(f->part);
        if (child.isNull() || child->typeId() != TYPE_OBJECT) return false;
        current = child;
        f = f->next.get();
        t = t->next.get();
    }
}

}  // namespace Attr
