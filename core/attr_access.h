#pragma once
// The operations through which the program reads and builds attribute trees. Each takes an object
// attribute and reaches its children through its value. An empty or non-object "object" finds
// nothing (with a WARNING for the non-object); typed readers check the type of what they read.
#include <initializer_list>
#include <string>

#include "core/attr_tree.h"

namespace Attr {

// One part of an attribute path; the chain "a" -> "b" -> "c" addresses the child "c" of the
// object "b" inside the object "a".
struct PathNode {
    std::string part;
    SharedPtr<PathNode> next;
};
using AttributePath = SharedPtr<PathNode>;

// Builds a path from its parts; no parts give the empty path.
AttributePath makePath(std::initializer_list<std::string> parts);
// Builds a path from a dotted text ("a.b.c"); "" gives the empty path.
AttributePath parsePath(const std::string& dotted);

const AttributePtr& findAttribute(const AttributePtr& object, const std::string& name);
// The child of that name when present (of whatever type), else a new child of `typeId`.
AttributePtr getOrCreateAttribute(const AttributePtr& object, const std::string& name, int typeId);
// `create` set: getOrCreateAttribute with the reader's type; clear: findAttribute.
AttributePtr getStringAttribute(const AttributePtr& object, const std::string& name, bool create);
AttributePtr getBoolAttribute(const AttributePtr& object, const std::string& name, bool create);
AttributePtr getIntAttribute(const AttributePtr& object, const std::string& name, bool create);
// The same for any type, as the game screens call it.
AttributePtr getChildShared(const AttributePtr& object, const std::string& name, int typeId, bool create);

// The attribute's value when it is not empty and of the reader's type, else the default (a node
// of another type also logs a WARNING).
std::string stringValueOr(const AttributePtr& attribute, const std::string& fallback);
bool boolValueOr(const AttributePtr& attribute, bool fallback);
int32_t scalarValueOr(const AttributePtr& attribute, int32_t fallback);
double scalarValueOr(const AttributePtr& attribute, double fallback);

// The children of an object in key order; an empty or non-object attribute has none.
AttributeSet::const_iterator attributesBegin(const AttributePtr& object);
AttributeSet::const_iterator attributesEnd(const AttributePtr& object);

const AttributePtr& findByPath(const AttributePtr& object, const AttributePath& path);
// Missing parts are created as objects, the last one of `typeId`; an existing part on the way
// that is no object ends the walk with the empty attribute.
AttributePtr getOrCreateByPath(const AttributePtr& object, const AttributePath& path, int typeId);
// The dotted path of the attribute inside the object (children matched by name), or "".
std::string pathOf(const AttributePtr& object, const AttributePtr& attribute);
bool renameByPath(const AttributePtr& object, const AttributePath& from, const AttributePath& to);

// The child set of an object attribute; null for an empty or non-object attribute.
AttributeSet* childrenOf(const AttributePtr& object);

}  // namespace Attr
