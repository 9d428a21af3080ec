#include "script/value_types.h"

#include <cmath>

#include "script/script_args.h"
#include "script/script_registry.h"

using ScriptBinding::ClassDescriptor;

void normalise(Vec3& v) {
    float len = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (len > kVec3MinLength) {
        float inverse = 1.0f / len;
        v.x *= inverse;
        v.y *= inverse;
        v.z *= inverse;
    }
}

void normalise(Vec2& v) {
    float squared = v.x * v.x + v.y * v.y;
    if (squared <= kVec2MinSquaredLength) {
        v = Vec2{1.0f, 0.0f};
        return;
    }
    float inverse = 1.0f / std::sqrt(squared);
    v.x *= inverse;
    v.y *= inverse;
}

float length(const Vec2& v) { return std::sqrt(v.x * v.x + v.y * v.y); }

namespace {

// Copies are plain memory; the collector has nothing to free.
void collectNothing(void*) {}

template <class T, float T::*Member>
void getFloat(lua_State* L, void* object) {
    ScriptBinding::pushNumber(L, static_cast<T*>(object)->*Member);
}

template <class T, float T::*Member>
void setFloat(lua_State* L, void* object, int index) {
    static_cast<T*>(object)->*Member = ScriptBinding::getFloatArg(L, index);
}

template <uint8_t rgba::*Member>
void getByte(lua_State* L, void* object) {
    ScriptBinding::pushInt(L, static_cast<rgba*>(object)->*Member);
}

// A component keeps the low 8 bits of the truncated number (300 gives 44).
template <uint8_t rgba::*Member>
void setByte(lua_State* L, void* object, int index) {
    static_cast<rgba*>(object)->*Member = static_cast<uint8_t>(ScriptBinding::getCharArg(L, index));
}

// Operators and methods with a missing or foreign operand give nil (the strict readers raise the
// argument error first).
template <class T>
int vectorAdd(lua_State* L) {
    const T* a = ScriptBinding::getArg<T>(L, 1);
    const T* b = ScriptBinding::getArg<T>(L, 2);
    if (!a || !b) return lua_pushnil(L), 1;
    T sum = *a;
    sum.x += b->x;
    sum.y += b->y;
    if constexpr (requires { sum.z; }) sum.z += b->z;
    ScriptBinding::pushCopy(L, sum);
    return 1;
}

template <class T>
int vectorSub(lua_State* L) {
    const T* a = ScriptBinding::getArg<T>(L, 1);
    const T* b = ScriptBinding::getArg<T>(L, 2);
    if (!a || !b) return lua_pushnil(L), 1;
    T difference = *a;
    difference.x -= b->x;
    difference.y -= b->y;
    if constexpr (requires { difference.z; }) difference.z -= b->z;
    ScriptBinding::pushCopy(L, difference);
    return 1;
}

template <class T>
int vectorNorm(lua_State* L) {
    if (T* v = ScriptBinding::getArg<T>(L, 1)) normalise(*v);
    return 0;
}

int vec2Len(lua_State* L) {
    const Vec2* v = ScriptBinding::getArg<Vec2>(L, 1);
    if (!v) return lua_pushnil(L), 1;
    ScriptBinding::pushNumber(L, length(*v));
    return 1;
}

template <class T>
int vectorCopy(lua_State* L) {
    const T* v = ScriptBinding::getArg<T>(L, 1);
    if (!v) return lua_pushnil(L), 1;
    ScriptBinding::pushCopy(L, *v);
    return 1;
}

int newVec3(lua_State* L) {
    Vec3 v{ScriptBinding::getFloatArg(L, 1), ScriptBinding::getFloatArg(L, 2),
           ScriptBinding::getFloatArg(L, 3)};
    ScriptBinding::pushCopy(L, v);
    return 1;
}

int newVec2(lua_State* L) {
    Vec2 v{ScriptBinding::getFloatArg(L, 1), ScriptBinding::getFloatArg(L, 2)};
    ScriptBinding::pushCopy(L, v);
    return 1;
}

constexpr uint8_t kFullByte = 255;

int createRGBA(lua_State* L) {
    ScriptBinding::pushCopy(L, rgba{kFullByte, kFullByte, kFullByte, kFullByte});
    return 1;
}

void describeVec3(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "norm", vectorNorm<Vec3>);
    ScriptBinding::addProperty(cls, "x", getFloat<Vec3, &Vec3::x>, setFloat<Vec3, &Vec3::x>);
    ScriptBinding::addProperty(cls, "y", getFloat<Vec3, &Vec3::y>, setFloat<Vec3, &Vec3::y>);
    ScriptBinding::addProperty(cls, "z", getFloat<Vec3, &Vec3::z>, setFloat<Vec3, &Vec3::z>);
    ScriptBinding::addOperator(cls, "__add", vectorAdd<Vec3>);
    ScriptBinding::addOperator(cls, "__sub", vectorSub<Vec3>);
    ScriptBinding::setCollector(cls, collectNothing);
}

void describeVec2(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "norm", vectorNorm<Vec2>);
    ScriptBinding::addMethod(cls, "len", vec2Len);
    ScriptBinding::addProperty(cls, "x", getFloat<Vec2, &Vec2::x>, setFloat<Vec2, &Vec2::x>);
    ScriptBinding::addProperty(cls, "y", getFloat<Vec2, &Vec2::y>, setFloat<Vec2, &Vec2::y>);
    ScriptBinding::addOperator(cls, "__add", vectorAdd<Vec2>);
    ScriptBinding::addOperator(cls, "__sub", vectorSub<Vec2>);
    ScriptBinding::setCollector(cls, collectNothing);
}

void describeRgba(ClassDescriptor* cls) {
    ScriptBinding::addProperty(cls, "m_r", getByte<&rgba::m_r>, setByte<&rgba::m_r>);
    ScriptBinding::addProperty(cls, "m_g", getByte<&rgba::m_g>, setByte<&rgba::m_g>);
    ScriptBinding::addProperty(cls, "m_b", getByte<&rgba::m_b>, setByte<&rgba::m_b>);
    ScriptBinding::addProperty(cls, "m_a", getByte<&rgba::m_a>, setByte<&rgba::m_a>);
    ScriptBinding::setCollector(cls, collectNothing);
}

const ScriptFunctionRegistration kFunctions[] = {
    {"Vec3", newVec3},          {"Vec3Copy", vectorCopy<Vec3>},
    {"Vec2", newVec2},          {"Vec2Copy", vectorCopy<Vec2>},
    {"createRGBA", createRGBA},
};

// The classes join the registry before the state starts.
const ClassDescriptor* const kClasses[] = {Vec3::scriptClass(), Vec2::scriptClass(), rgba::scriptClass()};

}  // namespace

ClassDescriptor* Vec3::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = ScriptBinding::defineClass<Vec3>(cls, "Vec3", nullptr, describeVec3);
    return registered;
}

ClassDescriptor* Vec2::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = ScriptBinding::defineClass<Vec2>(cls, "Vec2", nullptr, describeVec2);
    return registered;
}

ClassDescriptor* rgba::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = ScriptBinding::defineClass<rgba>(cls, "rgba", nullptr, describeRgba);
    return registered;
}
