#include "particles/internal/attr_read.h"

#include <cmath>

#include "core/attr_access.h"

namespace particle {

float readFloat(const Attr::AttributePtr& node, const char* key, float fallback) {
    const Attr::AttributePtr& a = Attr::findAttribute(node, key);
    if (!a) return fallback;
    double v;
    if (a->typeId() == Attr::TYPE_INTEGER) v = Attr::scalarValueOr(a, 0);
    else if (a->typeId() == Attr::TYPE_FLOAT) v = Attr::scalarValueOr(a, 0.0);
    else return fallback;
    // NaN, infinities and values beyond a float are no editor's output.
    if (!std::isfinite(v) || std::fabs(v) > 3.0e38) return fallback;
    return static_cast<float>(v);
}

int32_t readInt(const Attr::AttributePtr& node, const char* key, int32_t fallback) {
    const Attr::AttributePtr& a = Attr::findAttribute(node, key);
    if (!a) return fallback;
    if (a->typeId() == Attr::TYPE_INTEGER) return Attr::scalarValueOr(a, fallback);
    if (a->typeId() == Attr::TYPE_FLOAT) {
        const double v = Attr::scalarValueOr(a, 0.0);
        if (std::isfinite(v) && v > -2147483648.0 && v < 2147483647.0) return static_cast<int32_t>(v);
    }
    return fallback;
}

bool readBool(const Attr::AttributePtr& node, const char* key, bool fallback) {
    const Attr::AttributePtr& a = Attr::findAttribute(node, key);
    if (!a || a->typeId() != Attr::TYPE_BOOLEAN) return fallback;
    return Attr::boolValueOr(a, fallback);
}

std::string readString(const Attr::AttributePtr& node, const char* key, const std::string& fallback) {
    const Attr::AttributePtr& a = Attr::findAttribute(node, key);
    if (!a || a->typeId() != Attr::TYPE_STRING) return fallback;
    return Attr::stringValueOr(a, fallback);
}

Attr::AttributePtr readObject(const Attr::AttributePtr& node, const char* key) {
    const Attr::AttributePtr& a = Attr::findAttribute(node, key);
    if (!a || a->typeId() != Attr::TYPE_OBJECT) return Attr::AttributePtr();
    return a;
}

Vector2 readPoint(const Attr::AttributePtr& point) { return {readFloat(point, "x"), readFloat(point, "y")}; }

}  // namespace particle
