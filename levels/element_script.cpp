// The script classes "BaseElement" and "ElementTransform", the element script constants and the
// four animation functions.
#include <cmath>
#include <lua.hpp>

#include "app/game_layers.h"
#include "flash/shape/geometry.h"
#include "levels/base_element.h"
#include "levels/base_level.h"
#include "script/script_args.h"
#include "script/script_binding.h"
#include "script/script_registry.h"
#include "script/value_types.h"

namespace {

using ScriptBinding::ClassDescriptor;

constexpr float kRadiansPerDegree = 0.017453292f;

// set_anim_ex's flag bits: which parts of the target clip the animation takes.
constexpr int kAnimX = 1;
constexpr int kAnimY = 2;
constexpr int kAnimRotation = 4;
constexpr int kAnimScale = 8;


BaseElement* elementArg(lua_State* L) { return ScriptBinding::getArg<BaseElement>(L, 1); }

flash::character* clipArg(lua_State* L) {
    BaseElement* element = elementArg(L);
    return element ? element->getCharacter() : nullptr;
}

std::string textArg(lua_State* L, int index) {
    const char* text = ScriptBinding::getStringArg(L, index);
    return text ? text : "";
}

// setEventListener(element, id, text): false for an id outside 0 to 5.
int elementSetEventListener(lua_State* L) {
    BaseElement* element = elementArg(L);
    const bool stored = element && element->setScriptCallback(ScriptBinding::getIntArg(L, 2), textArg(L, 3));
    ScriptBinding::pushBool(L, stored);
    return 1;
}

int elementGetName(lua_State* L) {
    BaseElement* element = elementArg(L);
    if (!element) return lua_pushnil(L), 1;
    lua_pushlstring(L, element->getName().data(), element->getName().size());
    return 1;
}

int elementAddTransform(lua_State* L) {
    BaseElement* element = elementArg(L);
    const ElementTransform* transform = ScriptBinding::getArg<ElementTransform>(L, 2);
    if (element && transform) element->addTransform(*transform);
    return 0;
}

int elementClearTransforms(lua_State* L) {
    if (BaseElement* element = elementArg(L)) element->clearTransforms();
    return 0;
}

// scale(element, s): scale s on both axes, no rotation.
int elementScale(lua_State* L) {
    flash::character* ch = clipArg(L);
    if (!ch) return 0;
    const float s = ScriptBinding::getFloatArg(L, 2);
    flash::matrix matrix = ch->get_matrix();
    matrix.set_scale_rotation(s, s, 0.0f);
    ch->set_matrix(matrix);
    return 0;
}

int elementGetScale(lua_State* L) {
    flash::character* ch = clipArg(L);
    ScriptBinding::pushNumber(L, ch ? ch->get_world_matrix().get_x_scale() : 0.0);
    return 1;
}

int elementGetRotate(lua_State* L) {
    flash::character* ch = clipArg(L);
    ScriptBinding::pushNumber(L, ch ? ch->get_matrix().get_rotation() : 0.0);
    return 1;
}

// rotate(element, degrees): the x scale on both axes, the angle as given.
int elementRotate(lua_State* L) {
    flash::character* ch = clipArg(L);
    if (!ch) return 0;
    const float angle = ScriptBinding::getFloatArg(L, 2) * kRadiansPerDegree;
    flash::matrix matrix = ch->get_matrix();
    const float s = matrix.get_x_scale();
    matrix.set_scale_rotation(s, s, angle);
    ch->set_matrix(matrix);
    return 0;
}

int elementGetPos(lua_State* L) {
    flash::character* ch = clipArg(L);
    Vec2 position;
    if (ch) {
        const flash::matrix world = ch->get_world_matrix();
        position.x = world.m_[0][2] * flash::pixels_per_twip;
        position.y = world.m_[1][2] * flash::pixels_per_twip;
    }
    ScriptBinding::pushCopy(L, position);
    return 1;
}

int elementSetPos(lua_State* L) {
    flash::character* ch = clipArg(L);
    const Vec2* position = ScriptBinding::getArg<Vec2>(L, 2);
    if (!ch || !position) return 0;
    flash::matrix matrix = ch->get_matrix();
    matrix.m_[0][2] = flash::finite_or_zero(position->x * flash::twips_per_pixel);
    matrix.m_[1][2] = flash::finite_or_zero(position->y * flash::twips_per_pixel);
    ch->set_matrix(matrix);
    return 0;
}

int elementSetEffect(lua_State* L) {
    if (BaseElement* element = elementArg(L)) element->setEffect(textArg(L, 2));
    return 0;
}

void describeElement(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "setEventListener", elementSetEventListener);
    ScriptBinding::addMethod(cls, "getNameChar", elementGetName);
    ScriptBinding::addMethod(cls, "getName", elementGetName);
    ScriptBinding::addMethod(cls, "addTransform", elementAddTransform);
    ScriptBinding::addMethod(cls, "clearTransforms", elementClearTransforms);
    ScriptBinding::addMethod(cls, "scale", elementScale);
    ScriptBinding::addMethod(cls, "getScale", elementGetScale);
    ScriptBinding::addMethod(cls, "getRotate", elementGetRotate);
    ScriptBinding::addMethod(cls, "rotate", elementRotate);
    ScriptBinding::addMethod(cls, "getPos", elementGetPos);
    ScriptBinding::addMethod(cls, "setPos", elementSetPos);
    ScriptBinding::addMethod(cls, "setEffect", elementSetEffect);
}

// ElementTransform(): a new transform with its defaults.
int newTransform(lua_State* L) {
    ScriptBinding::pushCopy(L, ElementTransform());
    return 1;
}

int transformTranslate(lua_State* L) {
    ElementTransform* transform = ScriptBinding::getArg<ElementTransform>(L, 1);
    const Vec2* delta = ScriptBinding::getArg<Vec2>(L, 2);
    if (!transform || !delta) return 0;
    transform->deltaX = flash::finite_or_zero(delta->x * flash::twips_per_pixel);
    transform->deltaY = flash::finite_or_zero(delta->y * flash::twips_per_pixel);
    return 0;
}

int transformTranslateTo(lua_State* L) {
    ElementTransform* transform = ScriptBinding::getArg<ElementTransform>(L, 1);
    const Vec2* target = ScriptBinding::getArg<Vec2>(L, 2);
    if (!transform || !target) return 0;
    transform->targetMatrix.m_[0][2] = flash::finite_or_zero(target->x * flash::twips_per_pixel);
    transform->targetMatrix.m_[1][2] = flash::finite_or_zero(target->y * flash::twips_per_pixel);
    transform->setFlag(ElementTransform::kAbsoluteTarget, true);
    return 0;
}

template <float (ElementTransform::*Field)[3]>
void getVector(lua_State* L, void* object) {
    const float* v = static_cast<ElementTransform*>(object)->*Field;
    ScriptBinding::pushCopy(L, Vec3{v[0], v[1], v[2]});
}

template <float (ElementTransform::*Field)[3]>
void setVector(lua_State* L, void* object, int index) {
    const Vec3* value = ScriptBinding::getArg<Vec3>(L, index);
    if (!value) return;
    float* v = static_cast<ElementTransform*>(object)->*Field;
    v[0] = value->x;
    v[1] = value->y;
    v[2] = value->z;
}

void describeTransform(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "translate", transformTranslate);
    ScriptBinding::addMethod(cls, "translateTo", transformTranslateTo);
    ScriptBinding::addProperty(cls, "mAcceleration", getVector<&ElementTransform::mAcceleration>,
                               setVector<&ElementTransform::mAcceleration>);
    ScriptBinding::addProperty(cls, "mSpeed", getVector<&ElementTransform::mSpeed>,
                               setVector<&ElementTransform::mSpeed>);
}

// The element of that name in the current level (minilevels included), or null.
BaseElement* currentElement(lua_State* L, int index) {
    auto* level = dynamic_cast<BaseLevel*>(app::currentLevel(false));
    const char* name = ScriptBinding::getStringArg(L, index);
    return level && name ? level->getElementByName(name) : nullptr;
}

// A record that starts from the clip as it is now; null for an element without a clip.
ElementAnimation* startFromClip(BaseElement* element, float duration, const std::string& endScript) {
    flash::character* ch = element ? element->getCharacter() : nullptr;
    if (!ch) return nullptr;
    auto* animation = new ElementAnimation();
    animation->startMatrix = ch->get_matrix();
    animation->startColour = ch->get_cxform();
    animation->duration = duration;
    animation->endScript = endScript;
    return animation;
}

// set_anim(element, target element, time, end script): toward the target clip's place.
int setAnim(lua_State* L) {
    BaseElement* element = currentElement(L, 1);
    BaseElement* target = currentElement(L, 2);
    flash::character* targetClip = target ? target->getCharacter() : nullptr;
    if (!targetClip) return 0;
    ElementAnimation* animation = startFromClip(element, ScriptBinding::getFloatArg(L, 3), textArg(L, 4));
    if (!animation) return 0;
    animation->targetMatrix = targetClip->get_matrix();
    animation->deltasFromTarget = true;
    animation->dx = animation->targetMatrix.m_[0][2] - animation->startMatrix.m_[0][2];
    animation->dy = animation->targetMatrix.m_[1][2] - animation->startMatrix.m_[1][2];
    element->addAnimation(animation);
    return 0;
}

// set_anim_ex(element, target element, flags, time, end script): the parts the flags name.
int setAnimEx(lua_State* L) {
    BaseElement* element = currentElement(L, 1);
    BaseElement* target = currentElement(L, 2);
    flash::character* targetClip = target ? target->getCharacter() : nullptr;
    if (!targetClip) return 0;
    const int flags = ScriptBinding::getIntArg(L, 3);
    ElementAnimation* animation = startFromClip(element, ScriptBinding::getFloatArg(L, 4), textArg(L, 5));
    if (!animation) return 0;
    const flash::matrix& to = targetClip->get_matrix();
    animation->targetMatrix = to;
    if (flags & kAnimX) animation->dx = to.m_[0][2] - animation->startMatrix.m_[0][2];
    if (flags & kAnimY) animation->dy = to.m_[1][2] - animation->startMatrix.m_[1][2];
    if (flags & kAnimRotation) animation->rotationDelta = to.get_rotation();
    if (flags & kAnimScale) animation->scaleDelta = to.get_x_scale();
    element->addAnimation(animation);
    return 0;
}

// set_anim_new(element, dx, dy, degrees, scale delta, time, end script): a move by pixels.
int setAnimNew(lua_State* L) {
    BaseElement* element = currentElement(L, 1);
    ElementAnimation* animation = startFromClip(element, ScriptBinding::getFloatArg(L, 6), textArg(L, 7));
    if (!animation) return 0;
    animation->targetMatrix = animation->startMatrix;
    animation->dx = flash::finite_or_zero(ScriptBinding::getFloatArg(L, 2) * flash::twips_per_pixel);
    animation->dy = flash::finite_or_zero(ScriptBinding::getFloatArg(L, 3) * flash::twips_per_pixel);
    animation->rotationDelta = flash::finite_or_zero(ScriptBinding::getFloatArg(L, 4) * kRadiansPerDegree);
    animation->scaleDelta = flash::finite_or_zero(ScriptBinding::getFloatArg(L, 5));
    element->addAnimation(animation);
    return 0;
}

// set_color_anim(element, red, green, blue, alpha, time, end script): toward those multipliers.
int setColorAnim(lua_State* L) {
    BaseElement* element = currentElement(L, 1);
    ElementAnimation* animation = startFromClip(element, ScriptBinding::getFloatArg(L, 6), textArg(L, 7));
    if (!animation) return 0;
    animation->targetMatrix = animation->startMatrix;
    for (int channel = 0; channel < 4; ++channel) {
        animation->targetColour.m_[channel][0] = flash::finite_or_zero(ScriptBinding::getFloatArg(L, 2 + channel));
        animation->targetColour.m_[channel][1] = 0.0f;
    }
    animation->colourAnimation = true;
    element->addAnimation(animation);
    return 0;
}

const ScriptFunctionRegistration kFunctions[] = {
    {"ElementTransform", newTransform}, {"set_anim", setAnim},           {"set_anim_ex", setAnimEx},
    {"set_anim_new", setAnimNew},       {"set_color_anim", setColorAnim},
};

const ScriptConstantRegistration kConstants[] = {
    {"eiLeftClick", eiLeftClick}, {"eiRightClick", eiRightClick}, {"eiRollOver", eiRollOver},
    {"eiRollOut", eiRollOut},     {"eiPlayingEnd", eiPlayingEnd}, {"eiUpdate", eiUpdate},
    {"fsFadeIn", fsFadeIn},       {"fsFadeOut", fsFadeOut},
};

// The classes join the registry before the state starts.
const ClassDescriptor* const kClasses[] = {BaseElement::scriptClass(), ElementTransform::scriptClass()};

// The cursor reads the elements scripts hand it through this.
app::CarriedElement* readCarriedElement(lua_State* L, int index) { return ScriptBinding::getArg<BaseElement>(L, index); }
const bool kReaderInstalled = (app::setCarriedElementReader(&readCarriedElement), true);

}  // namespace

ClassDescriptor* BaseElement::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered = [] {
        // Elements stay owned by their level: scripts only ever hold handles.
        ScriptBinding::registerClass(&cls, "BaseElement", nullptr, 0, sizeof(BaseElement), nullptr);
        describeElement(&cls);
        return &cls;
    }();
    return registered;
}

ClassDescriptor* ElementTransform::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered =
        ScriptBinding::defineClass<ElementTransform>(cls, "ElementTransform", nullptr, describeTransform);
    return registered;
}
