#pragma once
// Paths that scripts ask to load (loadMovie, GetURL, MovieClipLoader): only files the game's file
// opener serves, named relative to the engine's working folder. Absolute paths, drive letters,
// URLs and ".." steps are refused, so a movie can never reach outside the game's data.
#include "flash/base/bx_string.h"

namespace flash {

// The path to open for a script's url: the working folder followed by the url. False (with an
// ERROR logged) when the url is empty, absolute, names a drive or a scheme, or steps up a folder.
[[nodiscard]] bool make_load_path(const char* workdir, const char* url, bx_string* path);

}  // namespace flash
