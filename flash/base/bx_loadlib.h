#pragma once
// Dynamic libraries of the engine: bx_loadlib holds one loaded library, and the process-wide
// extension-module table keeps one per module name, tried once and kept until the engine's
// clean-up.

namespace flash {

class bx_string;

class bx_loadlib {
public:
    // Loads the library at a host path chosen by the caller; the handle is null on failure.
    explicit bx_loadlib(const char* library_path);
    ~bx_loadlib();
    bx_loadlib(const bx_loadlib&) = delete;
    bx_loadlib& operator=(const bx_loadlib&) = delete;

    bool is_loaded() const { return m_handle != nullptr; }
    // The exported symbol, or null (also when the library failed to load).
    void* get_function(const char* name) const;

private:
    void* m_handle;
};

// The table's module for a name: on first use a bx_loadlib is made from library_path (the name
// itself when null) and kept, also when loading failed, so a name is tried only once.
bx_loadlib* get_extension_module(const bx_string& name, const char* library_path = nullptr);
// Releases every module (the last engine instance does when it ends).
void clear_extension_modules();

}  // namespace flash
