#pragma once
// The one resolver for data paths. Game data names files Windows-style ("Data\\Texts\\strings.st",
// any letter case); on disk they are found by mapping backslashes to slashes and matching each
// component case-insensitively (ASCII) when the exact spelling does not exist.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

enum class PathUse {
    Read,    // the file is expected to exist
    Create,  // the file may be created: an existing name differing only in case is reused
};

// Resolves a game path to a host path. Drive-letter paths ("c:\\x") are refused with an ERROR line.
// A path that does not exist resolves as far as it can and keeps the rest as spelled.
[[nodiscard]] std::optional<std::string> resolvePath(std::string_view gamePath, PathUse use = PathUse::Read);

// Backslashes to slashes, nothing else.
std::string toSlashes(std::string_view path);

// ASCII-only case folding, independent of the locale.
char foldAscii(char c);
bool equalsFoldedAscii(std::string_view a, std::string_view b);
bool lessFoldedAscii(std::string_view a, std::string_view b);

}  // namespace platform
