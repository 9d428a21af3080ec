#include "graphics/resource_mgr.h"

#include "core/string_utils.h"

std::string resourceKey(const std::string& name) {
    std::string out;
    return toLower(name, out);
}
