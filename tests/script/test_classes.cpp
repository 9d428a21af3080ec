#include "tests/script/test_classes.h"

#include "script/script_args.h"

namespace scripttest {

namespace {

using ScriptBinding::ClassDescriptor;

int baseDescribe(lua_State* L) {
    lua_pushstring(L, ScriptBinding::getArg<TestBase>(L, 1) ? "base" : "none");
    return 1;
}

int derivedDescribe(lua_State* L) {
    lua_pushstring(L, ScriptBinding::getArg<TestDerived>(L, 1) ? "derived" : "none");
    return 1;
}

int baseTwice(lua_State* L) {
    TestBase* self = ScriptBinding::getArg<TestBase>(L, 1);
    if (!self) return 0;
    ScriptBinding::pushNumber(L, self->value * 2.0);
    return 1;
}

void getValue(lua_State* L, void* object) {
    ++TestBase::getterCalls;
    ScriptBinding::pushInt(L, static_cast<TestBase*>(object)->value);
}
void setValue(lua_State* L, void* object, int index) {
    static_cast<TestBase*>(object)->value = ScriptBinding::getIntArg(L, index);
}
void getExtra(lua_State* L, void* object) {
    ScriptBinding::pushInt(L, static_cast<TestDerived*>(object)->extra);
}

void describeBase(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "describe", baseDescribe);
    ScriptBinding::addMethod(cls, "twice", baseTwice);
    ScriptBinding::addProperty(cls, "value", getValue, setValue);
}

void describeDerived(ClassDescriptor* cls) {
    ScriptBinding::addMethod(cls, "describe", derivedDescribe);
    ScriptBinding::addProperty(cls, "extra", getExtra, nullptr);
}

void getPayload(lua_State* L, void* object) {
    ScriptBinding::pushInt(L, static_cast<Collected*>(object)->payload);
}

void describeCollected(ClassDescriptor* cls) {
    ScriptBinding::addProperty(cls, "payload", getPayload, nullptr);
}

const ClassDescriptor* const kClasses[] = {TestBase::scriptClass(), TestDerived::scriptClass(),
                                           Collected::scriptClass()};

}  // namespace

ClassDescriptor* TestBase::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered =
        ScriptBinding::defineClass<TestBase>(cls, "TestBase", nullptr, describeBase);
    return registered;
}

ClassDescriptor* TestDerived::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered =
        ScriptBinding::defineClass<TestDerived>(cls, "TestDerived", TestBase::scriptClass(), describeDerived);
    return registered;
}

ClassDescriptor* Collected::scriptClass() {
    static ClassDescriptor cls;
    static ClassDescriptor* registered =
        ScriptBinding::defineClass<Collected>(cls, "Collected", nullptr, describeCollected);
    return registered;
}

}  // namespace scripttest
