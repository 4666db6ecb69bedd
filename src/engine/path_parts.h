#pragma once
#include <string>

namespace splitwick {

// A path split after its last "/": the folder keeps the delimiter and is empty when there is
// none; the name is empty when the path ends in "/".
struct PathParts {
    std::string folder;
    std::string name;
};
PathParts splitPath(const std::string& path);

// The file name without its folder.
std::string fileNameOf(const std::string& path);

} // namespace splitwick
