#include "job_error.h"

#include <cstring>
#include <filesystem>

namespace splitwick {

const char* const FileInUse = "The file is already in use by this job";
const char* const NotRegularFile = "Not a regular file";

namespace {

std::string fileErrorText(const char* what, const std::string& path, const std::string& reason) {
    return std::string(what) + " \"" + fullPath(path) + "\". " + reason;
}

} // namespace

JobError cannotOpen(const std::string& path, const std::string& reason) {
    return JobError(JobErrorKind::Open, fileErrorText("Cannot open file", path, reason));
}

JobError cannotCreate(const std::string& path, const std::string& reason) {
    return JobError(JobErrorKind::Create, fileErrorText("Cannot create file", path, reason));
}

JobError cannotMoveIntoPlace(const std::string& temporary, const std::string& path,
                             const std::string& reason) {
    return JobError(JobErrorKind::Create, "Cannot move \"" + fullPath(temporary) +
                                              "\" into place as \"" + fullPath(path) + "\". " +
                                              reason);
}

JobError cannotRead(const std::string& path, const std::string& reason) {
    return JobError(JobErrorKind::Read, fileErrorText("Cannot read file", path, reason));
}

JobError streamWriteError(const std::string& path, int error) {
    return JobError(JobErrorKind::Write, "Stream write error",
                    fileErrorText("Cannot write file", path, systemReason(error)));
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
