#pragma once
// Bound classes made for the tests: a base with a counted property, a subclass that overrides a
// method, and a class whose script-owned copies count their destruction.
#include "script/bound_object.h"
#include "script/script_binding.h"

namespace scripttest {

struct TestBase : script::BoundObject {
    int value = 0;
    static inline int getterCalls = 0;
    static ScriptBinding::ClassDescriptor* scriptClass();
};

struct TestDerived : TestBase {
    int extra = 0;
    static ScriptBinding::ClassDescriptor* scriptClass();
};

struct Collected {
    int payload = 0;
    static inline int destroyed = 0;
    ~Collected() { ++destroyed; }
    static ScriptBinding::ClassDescriptor* scriptClass();
};

}  // namespace scripttest
