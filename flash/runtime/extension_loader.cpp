#include "flash/runtime/extension_loader.h"

#include <mutex>

#include "flash/base/bx_loadlib.h"

namespace flash {

namespace {

struct extension_settings {
    std::mutex lock;
    bool enabled = false;
    bx_string folder = ".";
};

extension_settings& settings() {
    static extension_settings s;
    return s;
}

bool is_module_name(const bx_string& name) {
    if (name.size() == 0) return false;
    for (int i = 0; i < name.size(); ++i) {
        const char c = name[i];
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

}  // namespace

void set_extension_modules(bool enabled, const char* game_folder) {
    extension_settings& s = settings();
    std::lock_guard<std::mutex> guard(s.lock);
    s.enabled = enabled;
    s.folder = game_folder && game_folder[0] ? game_folder : ".";
}

bool get_extension_modules_enabled() {
    extension_settings& s = settings();
    std::lock_guard<std::mutex> guard(s.lock);
    return s.enabled;
}

as_object* load_extension(const bx_string& name, engine_instance* owner, const array<as_value>& args) {
    bx_string path;
    {
        extension_settings& s = settings();
        std::lock_guard<std::mutex> guard(s.lock);
        if (!s.enabled) return nullptr;
        path = s.folder;
    }
    if (!is_module_name(name)) return nullptr;
    // A path with a folder part is opened as it stands: the search path is never consulted.
    path += "/flash_modules/";
    path += name;
    path += ".so";
    bx_loadlib* module = get_extension_module(name, path.c_str());
    if (!module || !module->is_loaded()) return nullptr;
    void* entry = module->get_function("flash_module_init");
    if (!entry) return nullptr;
    return reinterpret_cast<flash_module_init_func>(entry)(owner, args);
}

}  // namespace flash
