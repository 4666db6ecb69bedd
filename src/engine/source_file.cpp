#include "source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "job_error.h"

namespace splitwick {

SourceFile::SourceFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0) throw cannotOpen(path, systemReason(errno));
    struct stat st {};
    const int error = ::fstat(fd_, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    identity_ = {st.st_dev, st.st_ino};
    if (error != 0 || isOpenInJob(identity_)) {
        ::close(fd_);
        throw cannotOpen(path, error != 0 ? systemReason(error) : FileInUse);
    }
    size_ = st.st_size;
    registerOpen(identity_);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SourceFile::~SourceFile() {
    unregisterOpen(identity_);
    ::close(fd_);
}

std::string SourceFile::fileName() const {
    const auto slash = path_.rfind('/');
    return slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

size_t SourceFile::read(uint8_t* into, size_t max) {
    ssize_t n;
    do {
        n = ::read(fd_, into, max);
    } while (n < 0 && errno == EINTR);
    if (n < 0) throw cannotRead(path_, systemReason(errno));
    if (n == 0 && max > 0 && position_ < size_)
        throw cannotRead(path_, "The file ended before its size was reached");
    position_ += n;
    return static_cast<size_t>(n);
}

} // namespace splitwick
