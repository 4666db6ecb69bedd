#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "job_error.h"
#include "path_parts.h"
#include "unique_name.h"

namespace splitwick {

namespace {

// Filesystems on a local disk that write past the page cache as they are asked: ext2 to ext4,
// XFS, Btrfs and F2FS. A network one would wait on the network for each block instead.
constexpr long LocalFilesystems[] = {0xEF53, 0x58465342, 0x9123683E, 0xF2F52010};

bool wholePages(const uint8_t* data, size_t length, uint64_t at) {
    constexpr size_t Page = OutputFile::PageBytes;
    return reinterpret_cast<uintptr_t>(data) % Page == 0 && length % Page == 0 && at % Page == 0;
}

// A temporary name adds ".XXXXXX.part" to the output's: the output's is cut where the sum would
// pass the longest name a folder entry takes.
constexpr size_t LongestName = 255;
constexpr size_t TemporaryTail = 12;

// Why a stored output is not put into a folder that now stands where its own stood.
constexpr const char* FolderReplaced = "Another folder took the output folder's place";

} // namespace

OutputFile::OutputFile(const std::string& path, OpenFiles& held) : path_(path), held_(held) {
    const PathParts parts = splitPath(path);
    const std::string folder = parts.folder.empty() ? "." : parts.folder;
    const std::string& name = parts.name;
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) {
        // A regular file, or a character device such as /dev/null; a pipe could block the job
        // for ever and a block device is no output.
        if (S_ISDIR(st.st_mode)) throw cannotCreate(path, systemReason(EISDIR));
        if (!S_ISREG(st.st_mode) && !S_ISCHR(st.st_mode))
            throw cannotCreate(path, systemReason(EINVAL));
        if (held_.isOpen({st.st_dev, st.st_ino})) throw cannotCreate(path, FileInUse);
        identity_ = FileIdentity{st.st_dev, st.st_ino};
    } else if (errno != ENOENT) {
        throw cannotCreate(path, systemReason(errno));
    }
    if (S_ISCHR(st.st_mode)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) throw cannotCreate(path, systemReason(errno));
    } else {
        createBeside(folder, name);
    }
    if (identity_) held_.opened(*identity_);
    buffer_ = std::make_unique<uint8_t[]>(BufferSize);
}

// The folder is held open and the temporary file made, renamed and removed through it, so that
// a folder moved away during the job keeps no temporary file of it.
void OutputFile::createBeside(const std::string& folder, const std::string& name) {
    folder_.fd = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    struct stat st {};
    if (folder_.fd < 0 || ::fstat(folder_.fd, &st) != 0)
        throw cannotCreate(path_, systemReason(errno));
    folderPath_ = folder;
    name_ = name;
    const OutputName claim{{st.st_dev, st.st_ino}, name};
    if (held_.isClaimed(claim)) throw cannotCreate(path_, FileInUse);
    fd_ = createUniqueFile(folder_.fd, name.substr(0, LongestName - TemporaryTail) + ".", ".part",
                           temporaryName_);
    if (fd_ < 0) throw cannotCreate(path_, systemReason(errno));
    temporary_ = (folder == "." ? "" : folder) + temporaryName_;
    held_.claim(claim);
    claimed_ = claim;
}

OutputFile::HeldFolder::~HeldFolder() {
    if (fd >= 0) ::close(fd);
}

OutputFile::~OutputFile() {
    closeDirect();
    if (fd_ >= 0) ::close(fd_);
    if (!temporary_.empty() && !inPlace_) ::unlinkat(folder_.fd, temporaryName_.c_str(), 0);
    if (identity_) held_.closed(*identity_);
    if (claimed_) held_.release(*claimed_);
}

void OutputFile::write(const uint8_t* data, size_t length) {
    // Whole buffers' worth go to the file as they are, once what is buffered before them has
    // been made a whole buffer: the Matroska writer hands on each cluster in one piece, after
    // a few bytes of its header, which saves copying all of them.
    if (buffered_ > 0 && buffered_ + length >= 2 * BufferSize) {
        const size_t taken = BufferSize - buffered_;
        std::memcpy(buffer_.get() + buffered_, data, taken);
        buffered_ = BufferSize;
        data += taken;
        length -= taken;
        flush();
    }
    if (buffered_ == 0 && length >= BufferSize) {
        const size_t whole = length - length % BufferSize;
        if (const int error = writeAll(data, whole)) throw streamWriteError(path_, error);
        data += whole;
        length -= whole;
    }
    // The buffer goes out whole, so that every write but the last covers whole pages of the file.
    while (length > 0) {
        const size_t taken = std::min(length, BufferSize - buffered_);
        std::memcpy(buffer_.get() + buffered_, data, taken);
        buffered_ += taken;
        data += taken;
        length -= taken;
        if (buffered_ == BufferSize) flush();
    }
}

void OutputFile::flush() {
    if (const int error = flushBuffer()) throw streamWriteError(path_, error);
}

void OutputFile::writeAt(uint64_t offset, const uint8_t* data, size_t length) {
    const int flushError = flushBuffer();
    const int error = writeAll(data, length, offset);
    if (flushError != 0 || error != 0)
        throw streamWriteError(path_, flushError != 0 ? flushError : error);
}

void OutputFile::store() {
    if (fd_ < 0) return;
    int error = flushBuffer();
    closeDirect();
    if (::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    if (error != 0) throw streamWriteError(path_, error);
}

void OutputFile::moveIntoPlace() {
    if (temporary_.empty() || inPlace_) return;
    // The output goes where its path says, not into the folder it was begun in once that was
    // moved away.
    struct stat there {
    }, held{};
    if (::stat(folderPath_.c_str(), &there) != 0 || ::fstat(folder_.fd, &held) != 0)
        throw cannotMoveIntoPlace(temporary_, path_, systemReason(errno));
    if (there.st_dev != held.st_dev || there.st_ino != held.st_ino)
        throw cannotMoveIntoPlace(temporary_, path_, FolderReplaced);
    if (::renameat(folder_.fd, temporaryName_.c_str(), folder_.fd, name_.c_str()) != 0)
        throw cannotMoveIntoPlace(temporary_, path_, systemReason(errno));
    inPlace_ = true;
}

int OutputFile::flushBuffer() {
    const int error = writeAll(buffer_.get(), buffered_);
    buffered_ = 0;
    return error;
}

int OutputFile::writeAll(const uint8_t* data, size_t length, std::optional<uint64_t> offset) {
    while (length > 0) {
        const bool direct = !offset && directFd_ >= 0 && wholePages(data, length, stored_);
        ssize_t n = 0;
        if (direct)
            n = ::pwrite(directFd_, data, length, static_cast<off_t>(stored_));
        else
            n = offset ? ::pwrite(fd_, data, length, static_cast<off_t>(*offset))
                       : ::write(fd_, data, length);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && direct && errno == EINVAL) {
            // The filesystem takes no such write after all: the cache takes this and the rest.
            closeDirect();
            continue;
        }
        if (n < 0) return errno;
        // A write that stores nothing without saying why: no room is the likely reason.
        if (n == 0) return ENOSPC;
        data += n;
        length -= static_cast<size_t>(n);
        if (offset) {
            *offset += static_cast<uint64_t>(n);
        } else {
            stored_ += static_cast<uint64_t>(n);
            // Appends through the cache go on after the bytes written past it.
            if (direct && ::lseek(fd_, static_cast<off_t>(stored_), SEEK_SET) < 0) return errno;
        }
    }
    return 0;
}

void OutputFile::appendDirectly() {
    if (temporary_.empty() || directFd_ >= 0) return;
    struct statfs filesystem {};
    if (::fstatfs(fd_, &filesystem) != 0 ||
        std::find(std::begin(LocalFilesystems), std::end(LocalFilesystems),
                  long(filesystem.f_type)) == std::end(LocalFilesystems))
        return;
    directFd_ = ::openat(folder_.fd, temporaryName_.c_str(), O_WRONLY | O_DIRECT | O_CLOEXEC);
}

void OutputFile::closeDirect() {
    if (directFd_ >= 0) ::close(directFd_);
    directFd_ = -1;
}

} // namespace splitwick
