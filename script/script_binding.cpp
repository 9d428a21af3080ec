#include "script/script_binding.h"

#include <algorithm>
#include <cstring>

#include "core/log_stream.h"
#include "script/internal/object_header.h"
#include "script/script_args.h"

namespace ScriptBinding {

namespace {

// Base chains longer than this are a registration fault (a cycle); the walk stops there.
constexpr int kMaxBaseDepth = 64;

// Bumped by every build, so descriptors built for an earlier state are built again.
unsigned g_generation = 1;

std::vector<ClassDescriptor*>& registry() {
    static std::vector<ClassDescriptor*> classes;
    return classes;
}

bool nameBefore(const ClassDescriptor* a, const char* name) { return std::strcmp(a->name, name) < 0; }

// The object of a live handle whose class is `owner` or derives from it, else null.
void* objectFor(lua_State* L, int index, const ClassDescriptor* owner) {
    ObjectHeader* header = headerAt(L, index);
    if (!header || !headerLive(header) || !isKindOf(header->cls, owner)) return nullptr;
    return headerObject(header);
}

// Text of a key for error messages: strings and numbers as they are, others by type.
const char* keyText(lua_State* L, int index) {
    if (lua_type(L, index) == LUA_TSTRING || lua_type(L, index) == LUA_TNUMBER) {
        lua_pushvalue(L, index);
        const char* text = lua_tostring(L, -1);  // converts the copy only
        return text;
    }
    return luaL_typename(L, index);
}

// "__index" (object, key); upvalue 1 is the class's method table.
int indexHandler(lua_State* L) {
    lua_settop(L, 2);
    lua_pushvalue(L, 2);
    lua_rawget(L, lua_upvalueindex(1));
    if (lua_type(L, -1) != LUA_TLIGHTUSERDATA) return 1;
    const Property* property = static_cast<const Property*>(lua_touserdata(L, -1));
    void* object = objectFor(L, 1, property->owner);
    if (!object || !property->getter) {
        lua_pushnil(L);
        return 1;
    }
    int top = lua_gettop(L);
    property->getter(L, object);
    if (lua_gettop(L) == top) lua_pushnil(L);
    return 1;
}

// "__newindex" (object, key, value): only properties with a setter may be written.
int newindexHandler(lua_State* L) {
    lua_settop(L, 3);
    lua_pushvalue(L, 2);
    lua_rawget(L, lua_upvalueindex(1));
    ObjectHeader* header = headerAt(L, 1);
    const char* className = header ? header->cls->name : luaL_typename(L, 1);
    if (lua_type(L, -1) != LUA_TLIGHTUSERDATA)
        return luaL_error(L, "%s has no property '%s'", className, keyText(L, 2));
    const Property* property = static_cast<const Property*>(lua_touserdata(L, -1));
    if (!property->setter)
        return luaL_error(L, "property '%s' of %s is read-only", property->name, className);
    void* object = objectFor(L, 1, property->owner);
    if (!object)
        return luaL_error(L, "cannot set '%s': the %s object no longer exists", property->name, className);
    lua_pushvalue(L, 3);
    property->setter(L, object, lua_gettop(L));
    return 0;
}

// "__gc" of script-owned copies: the class's collector runs once, then the handle is dead.
int collectHandler(lua_State* L) {
    ObjectHeader* header = headerAt(L, 1);
    if (!header || !header->owned) return 0;
    if (header->cls->collector) header->cls->collector(headerObject(header));
    header->magic = 0;
    header->object = nullptr;
    return 0;
}

void buildMetatable(lua_State* L, ClassDescriptor* cls, bool collecting, int* ref) {
    lua_newtable(L);
    lua_rawgeti(L, LUA_REGISTRYINDEX, cls->methodTable);
    lua_pushcclosure(L, indexHandler, 1);
    lua_setfield(L, -2, "__index");
    lua_rawgeti(L, LUA_REGISTRYINDEX, cls->methodTable);
    lua_pushcclosure(L, newindexHandler, 1);
    lua_setfield(L, -2, "__newindex");
    for (const Method& op : cls->operators) {
        lua_pushcfunction(L, op.function);
        lua_setfield(L, -2, op.name);
    }
    if (collecting) {
        lua_pushcfunction(L, collectHandler);
        lua_setfield(L, -2, "__gc");
    }
    *ref = luaL_ref(L, LUA_REGISTRYINDEX);
}

void buildClass(lua_State* L, ClassDescriptor* cls) {
    cls->generation = g_generation;
    // Bases first, so a subclass's own methods and properties replace those it inherits.
    std::vector<ClassDescriptor*> chain;
    cls->totalOffset = 0;
    for (ClassDescriptor* c = cls; c && static_cast<int>(chain.size()) < kMaxBaseDepth; c = c->base) {
        chain.push_back(c);
        cls->totalOffset += c->offset;
    }
    lua_newtable(L);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        for (const Method& method : (*it)->methods) {
            lua_pushcfunction(L, method.function);
            lua_setfield(L, -2, method.name);
        }
        for (Property& property : (*it)->properties) {
            lua_pushlightuserdata(L, &property);
            lua_setfield(L, -2, property.name);
        }
    }
    cls->methodTable = luaL_ref(L, LUA_REGISTRYINDEX);
    buildMetatable(L, cls, false, &cls->metatable);
    cls->collectingMetatable = LUA_NOREF;
    if (cls->collector) buildMetatable(L, cls, true, &cls->collectingMetatable);
}

void ensureBuilt(lua_State* L, ClassDescriptor* cls) {
    if (cls->generation != g_generation) buildClass(L, cls);
}

// Pushes the handle's metatable (or nothing when the class has none).
void setHandleMetatable(lua_State* L, int ref) {
    if (ref == LUA_NOREF || ref == LUA_REFNIL) return;
    lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
    lua_setmetatable(L, -2);
}

}  // namespace

ObjectHeader* headerAt(lua_State* L, int index) {
    if (lua_type(L, index) != LUA_TUSERDATA || lua_objlen(L, index) < sizeof(ObjectHeader)) return nullptr;
    ObjectHeader* header = static_cast<ObjectHeader*>(lua_touserdata(L, index));
    return header->magic == ObjectHeader::kMagic ? header : nullptr;
}

bool headerLive(const ObjectHeader* header) {
    return header->object && (header->serial == 0 || script::BoundObject::isLive(header->serial));
}

void* headerObject(const ObjectHeader* header) {
    return static_cast<char*>(header->object) - header->cls->totalOffset;
}

void registerClass(ClassDescriptor* cls, const char* name, ClassDescriptor* base, int32_t offset,
                   uint32_t size, Allocator allocator) {
    if (!cls || !name) return;
    std::vector<ClassDescriptor*>& classes = registry();
    auto at = std::lower_bound(classes.begin(), classes.end(), name, nameBefore);
    if (at != classes.end() && std::strcmp((*at)->name, name) == 0) {
        if (*at != cls)
            Tov::LogLine("ERROR") << "ScriptBinding::registerClass: class " << name
                                  << " is already registered";
        return;
    }
    cls->name = name;
    cls->size = size;
    cls->base = base;
    cls->offset = offset;
    cls->allocator = allocator;
    classes.insert(at, cls);
}

void addMethod(ClassDescriptor* cls, const char* name, lua_CFunction function) {
    cls->methods.push_back({name, function});
}

void addProperty(ClassDescriptor* cls, const char* name, PropertyGetter getter, PropertySetter setter) {
    cls->properties.push_back({getter, setter, name, cls});
}

void addOperator(ClassDescriptor* cls, const char* name, lua_CFunction function) {
    cls->operators.push_back({name, function});
}

void setCollector(ClassDescriptor* cls, Collector collector) { cls->collector = collector; }

const std::vector<ClassDescriptor*>& registeredClasses() { return registry(); }

ClassDescriptor* findClass(const char* name) {
    if (!name) return nullptr;
    std::vector<ClassDescriptor*>& classes = registry();
    auto at = std::lower_bound(classes.begin(), classes.end(), name, nameBefore);
    return at != classes.end() && std::strcmp((*at)->name, name) == 0 ? *at : nullptr;
}

bool isKindOf(const ClassDescriptor* cls, const ClassDescriptor* ancestor) {
    int depth = 0;
    for (; cls && depth < kMaxBaseDepth; cls = cls->base, ++depth) {
        if (cls == ancestor) return true;
    }
    return false;
}

void buildClasses(lua_State* L) {
    ++g_generation;
    for (ClassDescriptor* cls : registry()) buildClass(L, cls);
}

void* allocateCopy(lua_State* L, ClassDescriptor* cls) { return pushObjectCopy(L, cls); }

void pushObjectPtr(lua_State* L, void* object, ClassDescriptor* cls, uint64_t serial) {
    if (!object || !cls) {
        lua_pushnil(L);
        return;
    }
    ensureBuilt(L, cls);
    ObjectHeader* header = static_cast<ObjectHeader*>(lua_newuserdata(L, sizeof(ObjectHeader)));
    *header =
        ObjectHeader{ObjectHeader::kMagic, 0, static_cast<char*>(object) + cls->totalOffset, cls, serial};
    setHandleMetatable(L, cls->metatable);
}

void* pushObjectCopy(lua_State* L, ClassDescriptor* cls) {
    if (!cls) {
        lua_pushnil(L);
        return nullptr;
    }
    ensureBuilt(L, cls);
    ObjectHeader* header = static_cast<ObjectHeader*>(lua_newuserdata(L, sizeof(ObjectHeader) + cls->size));
    void* object = header + 1;
    std::memset(object, 0, cls->size);
    *header = ObjectHeader{ObjectHeader::kMagic, 1, static_cast<char*>(object) + cls->totalOffset, cls, 0};
    setHandleMetatable(L, cls->collector ? cls->collectingMetatable : cls->metatable);
    return object;
}

void* getObjectArg(lua_State* L, int index, const ClassDescriptor* cls) {
    if (lua_isnoneornil(L, index)) return nullptr;
    ObjectHeader* header = headerAt(L, index);
    if (header && !headerLive(header)) return nullptr;
    if (header && isKindOf(header->cls, cls)) return headerObject(header);
    if (strictArguments()) {
        const char* actual = header ? header->cls->name : luaL_typename(L, index);
        luaL_argerror(L, index,
                      lua_pushfstring(L, "%s expected, got %s", cls ? cls->name : "object", actual));
    }
    return nullptr;
}

const ClassDescriptor* objectClassAt(lua_State* L, int index) {
    ObjectHeader* header = headerAt(L, index);
    return header && headerLive(header) ? header->cls : nullptr;
}

bool isStaleHandle(lua_State* L, int index) {
    ObjectHeader* header = headerAt(L, index);
    return header && !headerLive(header);
}

}  // namespace ScriptBinding
