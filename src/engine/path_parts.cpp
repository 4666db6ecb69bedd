#include "path_parts.h"

#include <filesystem>

namespace splitwick {

PathParts splitPath(const std::string& path) {
    // remove_filename keeps the delimiter, where parent_path would drop it.
    std::filesystem::path folder(path);
    const std::string name = folder.filename().string();
    return {folder.remove_filename().string(), name};
}

std::string fileNameOf(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

} // namespace splitwick
