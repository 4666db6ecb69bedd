#include "output_folder.h"

#include <unistd.h>

#include <filesystem>

#include "engine/job_error.h"

namespace splitwick {

void requireOutputFolder(const std::string& folder) {
    const std::string path = folder.empty() ? "." : folder;
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_directory(path, ec))
        throw JobError(JobErrorKind::Refused,
                       "Output folder \"" + fullPath(path) + "\" is a file, not a folder");
    if (!std::filesystem::is_directory(path, ec))
        throw JobError(JobErrorKind::Refused,
                       "Output folder \"" + fullPath(path) + "\" does not exist");
    if (::access(path.c_str(), W_OK | X_OK) != 0)
        throw JobError(JobErrorKind::Refused,
                       "Output folder \"" + fullPath(path) + "\" cannot be written");
}

} // namespace splitwick
