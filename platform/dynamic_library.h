#pragma once
// Dynamic libraries: open one by its host path, look up an exported symbol, close it.

namespace platform {

// The library's handle, or null when it cannot be loaded.
[[nodiscard]] void* openLibrary(const char* path);
// The address of an exported symbol, or null (also for a null handle or name).
[[nodiscard]] void* librarySymbol(void* handle, const char* name);
void closeLibrary(void* handle);

}  // namespace platform
