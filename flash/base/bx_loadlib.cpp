#include "flash/base/bx_loadlib.h"

#include <mutex>

#include "flash/base/bx_string.h"
#include "flash/base/hash.h"
#include "platform/dynamic_library.h"

namespace flash {

bx_loadlib::bx_loadlib(const char* library_path) : m_handle(platform::openLibrary(library_path)) {}

bx_loadlib::~bx_loadlib() { platform::closeLibrary(m_handle); }

void* bx_loadlib::get_function(const char* name) const {
    return platform::librarySymbol(m_handle, name);
}

namespace {

struct module_table {
    std::mutex lock;
    hash<bx_string, bx_loadlib*> modules;
};

module_table& modules() {
    static module_table table;
    return table;
}

}  // namespace

bx_loadlib* get_extension_module(const bx_string& name, const char* library_path) {
    module_table& table = modules();
    std::lock_guard<std::mutex> guard(table.lock);
    bx_loadlib* module = nullptr;
    if (table.modules.get(name, &module)) return module;
    module = new bx_loadlib(library_path ? library_path : name.c_str());
    table.modules.add(name, module);
    if (table.modules.find_index(name) < 0) {
        // The table could not take it: do not leak the library.
        delete module;
        return nullptr;
    }
    return module;
}

void clear_extension_modules() {
    module_table& table = modules();
    std::lock_guard<std::mutex> guard(table.lock);
    for (auto it = table.modules.begin(); it != table.modules.end(); ++it) delete it.get_value();
    table.modules.clear();
}

}  // namespace flash
