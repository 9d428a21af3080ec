#pragma once
// The layer between native classes and Lua: static class descriptors kept in one registry sorted
// by script name, the userdata in which native objects travel to scripts (by pointer, or as a
// script-owned copy), the field and method handlers, and the object readers and pushers. The
// argument readers of plain values are in script/script_args.h.
#include <cstdint>
#include <deque>
#include <lua.hpp>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "script/bound_object.h"

namespace ScriptBinding {

struct ClassDescriptor;

// getter(state, object) pushes the value; setter(state, object, index) reads the new value at index.
using PropertyGetter = void (*)(lua_State* L, void* object);
using PropertySetter = void (*)(lua_State* L, void* object, int valueIndex);
// Runs once on a script-owned copy before Lua frees its memory.
using Collector = void (*)(void* object);
// Makes a new script-owned object of the class on the stack and returns its memory.
using Allocator = void* (*)(lua_State* L, ClassDescriptor* cls);

struct Method {
    const char* name;
    lua_CFunction function;
};

struct Property {
    PropertyGetter getter;
    PropertySetter setter;
    const char* name;
    const ClassDescriptor* owner;
};

struct ClassDescriptor {
    const char* name = nullptr;
    uint32_t size = 0;
    ClassDescriptor* base = nullptr;
    int32_t offset = 0;       // as registered
    int32_t totalOffset = 0;  // with the offsets of every base, set when the classes are built
    int methodTable = LUA_NOREF;
    std::vector<Method> methods;
    std::deque<Property> properties;  // the method table points at the records
    std::vector<Method> operators;
    int metatable = LUA_NOREF;
    Allocator allocator = nullptr;
    Collector collector = nullptr;
    int collectingMetatable = LUA_NOREF;
    unsigned generation = 0;  // the build its tables belong to
};

// Registration (static initialisation). A name already registered keeps its first descriptor.
void registerClass(ClassDescriptor* cls, const char* name, ClassDescriptor* base, int32_t offset,
                   uint32_t size, Allocator allocator);
void addMethod(ClassDescriptor* cls, const char* name, lua_CFunction function);
void addProperty(ClassDescriptor* cls, const char* name, PropertyGetter getter, PropertySetter setter);
void addOperator(ClassDescriptor* cls, const char* name, lua_CFunction function);
void setCollector(ClassDescriptor* cls, Collector collector);

// Every registered class in name order.
const std::vector<ClassDescriptor*>& registeredClasses();
ClassDescriptor* findClass(const char* name);
// True when `cls` is `ancestor` or derives from it.
bool isKindOf(const ClassDescriptor* cls, const ClassDescriptor* ancestor);

// Builds method tables and metatables of every class in the state (once per state).
void buildClasses(lua_State* L);

// The generic allocator stored in every descriptor.
void* allocateCopy(lua_State* L, ClassDescriptor* cls);

// Pushes a handle on a native object the script does not own (nil for null). A nonzero serial
// ties the handle to a `script::BoundObject`'s life.
void pushObjectPtr(lua_State* L, void* object, ClassDescriptor* cls, uint64_t serial = 0);
// Pushes a new script-owned block for an object of the class and returns the object's memory,
// where the caller constructs it.
void* pushObjectCopy(lua_State* L, ClassDescriptor* cls);

// The object of the class (or a subclass) at index. Nil, a stale handle and (with the lenient
// readers) any other value read as null; with the strict readers a value that is not nil and not
// an object of the class raises the argument error ("Vec2 expected, got table").
void* getObjectArg(lua_State* L, int index, const ClassDescriptor* cls);
// The class of the object handle at index, null when it is none (or stale).
const ClassDescriptor* objectClassAt(lua_State* L, int index);
// True when the value at index is a handle whose object is gone.
bool isStaleHandle(lua_State* L, int index);

// Typed forms for a bound class T with `static ClassDescriptor* scriptClass()`.
template <class T>
T* getArg(lua_State* L, int index) {
    return static_cast<T*>(getObjectArg(L, index, T::scriptClass()));
}

template <class T>
void push(lua_State* L, T* object) {
    uint64_t serial = 0;
    if constexpr (std::is_base_of_v<script::BoundObject, T>) {
        if (object) serial = object->boundSerial();
    }
    pushObjectPtr(L, object, T::scriptClass(), serial);
}

template <class T>
T* pushCopy(lua_State* L, const T& value) {
    void* memory = pushObjectCopy(L, T::scriptClass());
    return memory ? new (memory) T(value) : nullptr;
}

// Fills the descriptor of T on first use; `describe` adds its methods, properties and operators.
// Copies of a class that needs destruction get a collector that destroys them.
template <class T>
ClassDescriptor* defineClass(ClassDescriptor& cls, const char* name, ClassDescriptor* base,
                             void (*describe)(ClassDescriptor*)) {
    registerClass(&cls, name, base, 0, sizeof(T), &allocateCopy);
    if constexpr (!std::is_trivially_destructible_v<T>) {
        setCollector(&cls, [](void* object) { static_cast<T*>(object)->~T(); });
    }
    if (describe) describe(&cls);
    return &cls;
}

}  // namespace ScriptBinding
