#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "job_error.h"

namespace splitwick {

OutputFile::OutputFile(const std::string& path) : path_(path) {
    // Opened without O_TRUNC: the file is emptied only once it is known not to be one this job
    // is reading or writing, and once every other output of the run could be opened too.
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw cannotCreate(path, systemReason(errno));
    struct stat st {};
    int error = ::fstat(fd_, &st) != 0 ? errno : 0;
    // A regular file, or a character device such as /dev/null; a pipe could block the job for
    // ever and a block device is no output.
    if (error == 0 && !S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode)) error = EINVAL;
    identity_ = {st.st_dev, st.st_ino};
    const bool inUse = error == 0 && isOpenInJob(identity_);
    if (error != 0 || inUse) {
        ::close(fd_);
        throw cannotCreate(path, inUse ? FileInUse : systemReason(error));
    }
    holdsEarlierBytes_ = S_ISREG(st.st_mode) && st.st_size > 0;
    registerOpen(identity_);
    buffer_ = std::make_unique<uint8_t[]>(BufferSize);
}

OutputFile::~OutputFile() {
    if (fd_ < 0) return;
    flush();
    unregisterOpen(identity_);
    ::close(fd_);
}

void OutputFile::truncate() {
    // Only a file that holds something is truncated: ext4 allocates the blocks of a file
    // truncated to nothing, and starts writing them out, when it is closed (its guard for files
    // rewritten in place), and a job would wait for that on every new output.
    if (holdsEarlierBytes_ && ::ftruncate(fd_, 0) != 0)
        throw cannotCreate(path_, systemReason(errno));
}

void OutputFile::write(const uint8_t* data, size_t length) {
    // The buffer goes out whole, so that every write but the last covers whole pages of the file.
    while (length > 0) {
        const size_t taken = std::min(length, BufferSize - buffered_);
        std::memcpy(buffer_.get() + buffered_, data, taken);
        buffered_ += taken;
        data += taken;
        length -= taken;
        if (buffered_ < BufferSize) continue;
        if (const int error = flush()) throw streamWriteError(path_, error);
    }
}

void OutputFile::writeAt(uint64_t offset, const uint8_t* data, size_t length) {
    int error = flush();
    if (error == 0) error = writeAll(data, length, offset);
    if (error != 0) throw streamWriteError(path_, error);
}

void OutputFile::close() {
    int error = flush();
    unregisterOpen(identity_);
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error != 0) throw streamWriteError(path_, error);
}

int OutputFile::flush() {
    const int error = writeAll(buffer_.get(), buffered_);
    buffered_ = 0;
    return error;
}

int OutputFile::writeAll(const uint8_t* data, size_t length, std::optional<uint64_t> offset) {
    while (length > 0) {
        const ssize_t n = offset ? ::pwrite(fd_, data, length, static_cast<off_t>(*offset))
                                 : ::write(fd_, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        // A write that stores nothing without saying why: no room is the likely reason.
        if (n == 0) return ENOSPC;
        data += n;
        length -= static_cast<size_t>(n);
        if (offset) *offset += static_cast<uint64_t>(n);
    }
    return 0;
}

} // namespace splitwick
