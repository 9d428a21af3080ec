// Loading a movie or an image into a target named by a path: the environment resolves the path,
// the engine instance does the loading.
#include <cstring>

#include "flash/base/log.h"
#include "flash/base/utf8.h"
#include "flash/runtime/as_environment.h"
#include "flash/runtime/engine_instance.h"

namespace flash {

int as_environment::get_file_type(const char* url) {
    if (!url) return FILE_NONE;
    const int chars = bx_string::utf8_char_count(url, static_cast<int>(std::strlen(url)));
    if (chars < 5) return FILE_NONE;
    // The last four characters.
    const char* p = url;
    for (int i = 0; i < chars - 4; ++i) utf8_decode_next_char(&p);
    if (bx_string::stricmp(p, ".swf") == 0) return FILE_SWF;
    if (bx_string::stricmp(p, ".jpg") == 0) return FILE_JPG;
    if (bx_string::stricmp(p, ".3ds") == 0) return FILE_3DS;
    return FILE_NONE;
}

void as_environment::load_file(const char* url, const as_value& target_path) {
    as_object* target = find_target(target_path);
    if (!target) {
        log_error("load_file: target %s is't found\n", target_path.to_string());
        return;
    }
    engine_instance* owner = get_player();
    const int file_type = url && *url ? get_file_type(url) : FILE_NONE;
    switch (file_type) {
        case FILE_SWF:
        case FILE_JPG:
            if (owner) owner->load_into_target(url, file_type, target);
            break;
        case FILE_3DS:
            log_error("flash is not linked to lib3ds -- can't load 3DS file\n");
            break;
        default:
            // An empty url unloads the target.
            if (owner && (!url || !*url)) owner->load_into_target("", FILE_NONE, target);
            break;
    }
}

}  // namespace flash
