#pragma once
// The small value classes scripts create and pass around: Vec2, Vec3 and rgba. Scripts own their
// copies; native functions read them with ScriptBinding::getArg<T> and return new ones with
// ScriptBinding::pushCopy.
#include <cstdint>

#include "script/script_binding.h"

struct Vec3 {
    float x = 0;
    float y = 0;
    float z = 0;

    static ScriptBinding::ClassDescriptor* scriptClass();
};

struct Vec2 {
    float x = 0;
    float y = 0;

    static ScriptBinding::ClassDescriptor* scriptClass();
};

struct rgba {
    uint8_t m_r = 0;
    uint8_t m_g = 0;
    uint8_t m_b = 0;
    uint8_t m_a = 0;

    static ScriptBinding::ClassDescriptor* scriptClass();
};

// Vec3: length above this is normalised, shorter vectors stay as they are.
constexpr float kVec3MinLength = 0.000001f;
// Vec2: a squared length at most this becomes (1, 0).
constexpr double kVec2MinSquaredLength = 1e-12;

void normalise(Vec3& v);
void normalise(Vec2& v);
float length(const Vec2& v);
