#include "job_error.h"

#include <cstring>
#include <filesystem>

namespace splitwick {

const char* const FileInUse = "The file is already in use by this job";
const char* const NotRegularFile = "Not a regular file";

namespace {

JobError fileError(const char* what, const std::string& path, const std::string& reason) {
    return JobError(std::string(what) + " \"" + fullPath(path) + "\". " + reason);
}

} // namespace

JobError cannotOpen(const std::string& path, const std::string& reason) {
    return fileError("Cannot open file", path, reason);
}

JobError cannotCreate(const std::string& path, const std::string& reason) {
    return fileError("Cannot create file", path, reason);
}

JobError cannotRead(const std::string& path, const std::string& reason) {
    return fileError("Cannot read file", path, reason);
}

JobError streamWriteError(const std::string& path, int error) {
    return JobError("Stream write error",
                    fileError("Cannot write file", path, systemReason(error)).what());
}

std::string errorBoxText(const std::string& text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
    return text;
}

std::string fullPath(const std::string& path) {
    if (path.empty()) return path;
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

std::string systemReason(int error) {
    return std::strerror(error);
}

} // namespace splitwick
