#include "source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "job_error.h"
#include "path_parts.h"

namespace splitwick {

namespace {

// Why the open file cannot be a job's source, or empty when it can.
std::string refusal(int fd, const struct stat& st, bool inUse) {
    // A FIFO or a device has no size to read up to: the job would end at once having read
    // nothing, or wait on a FIFO for ever.
    if (S_ISDIR(st.st_mode)) return systemReason(EISDIR);
    if (!S_ISREG(st.st_mode)) return NotRegularFile;
    if (inUse) return FileInUse;
    // Opened without blocking only so that open() could not wait; reads may.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return systemReason(errno);
    return "";
}

} // namespace

SourceFile::SourceFile(const std::string& path, OpenFiles& held) : path_(path), held_(held) {
    // A FIFO without a writer would hold a blocking open() for ever.
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) throw cannotOpen(path, systemReason(errno));
    struct stat st {};
    const std::string reason = ::fstat(fd_, &st) != 0
                                   ? systemReason(errno)
                                   : refusal(fd_, st, held_.isOpen({st.st_dev, st.st_ino}));
    if (!reason.empty()) {
        ::close(fd_);
        throw cannotOpen(path, reason);
    }
    identity_ = {st.st_dev, st.st_ino};
    size_ = st.st_size;
    held_.opened(identity_);
    ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
}

SourceFile::~SourceFile() {
    held_.closed(identity_);
    ::close(fd_);
}

std::string SourceFile::fileName() const {
    return fileNameOf(path_);
}

size_t SourceFile::read(uint8_t* into, size_t max) {
    // A regular file gives all that is asked for but at its end; read on until then.
    size_t got = 0;
    while (got < max) {
        const ssize_t n = ::read(fd_, into + got, max - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw cannotRead(path_, systemReason(errno));
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    if (got == 0 && max > 0 && position_ < size_)
        throw cannotRead(path_, "The file ended before its size was reached");
    position_ += static_cast<int64_t>(got);
    return got;
}

} // namespace splitwick
