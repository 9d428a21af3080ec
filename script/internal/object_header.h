#pragma once
// The block at the start of every userdata that carries a native object. A copy owned by the
// script lives right after the header in the same block.
#include <cstdint>
#include <lua.hpp>

namespace ScriptBinding {

struct ClassDescriptor;

struct ObjectHeader {
    // Marks blocks made by the binding; other userdata (files, proxies) never match.
    static constexpr uint32_t kMagic = 0x53424F48;

    uint32_t magic;
    uint32_t owned;  // 1 for a script-owned copy
    void* object;    // adjusted by the class offset; null once collected
    ClassDescriptor* cls;
    uint64_t serial;  // the BoundObject's serial, 0 when the object is not tracked
};

// The header of the binding's userdata at index, or null for any other value.
ObjectHeader* headerAt(lua_State* L, int index);
// False once the object is collected or a tracked object has been deleted.
bool headerLive(const ObjectHeader* header);
// The object pointer with the class offset taken off again.
void* headerObject(const ObjectHeader* header);

}  // namespace ScriptBinding
