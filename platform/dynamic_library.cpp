#include "platform/dynamic_library.h"

#include <dlfcn.h>

namespace platform {

void* openLibrary(const char* path) {
    if (!path || !*path) return nullptr;
    return ::dlopen(path, RTLD_NOW | RTLD_LOCAL);
}

void* librarySymbol(void* handle, const char* name) {
    if (!handle || !name) return nullptr;
    return ::dlsym(handle, name);
}

void closeLibrary(void* handle) {
    if (handle) ::dlclose(handle);
}

}  // namespace platform
