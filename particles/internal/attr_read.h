#pragma once
// Lenient readers of description and effect files: numbers may be stored as floats or integers,
// anything else (or a missing key) gives the default.
#include <cstdint>
#include <string>

#include "core/attr_tree.h"
#include "core/math_utils.h"

namespace particle {

float readFloat(const Attr::AttributePtr& node, const char* key, float fallback = 0.0f);
int32_t readInt(const Attr::AttributePtr& node, const char* key, int32_t fallback = 0);
bool readBool(const Attr::AttributePtr& node, const char* key, bool fallback = false);
std::string readString(const Attr::AttributePtr& node, const char* key, const std::string& fallback = {});
// The child object of that name, or the empty attribute.
Attr::AttributePtr readObject(const Attr::AttributePtr& node, const char* key);
// A point object with "x" and "y".
Vector2 readPoint(const Attr::AttributePtr& point);

}  // namespace particle
