#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "open_files.h"

namespace splitwick {

// What a job writes a stream to: the output of a box. It is written under a temporary name
// beside its own and takes its name only when the job has ended well (or was cancelled), so
// that a failed run leaves the files of an earlier one as they were.
class StreamOutput {
  public:
    virtual ~StreamOutput() = default;
    virtual void write(const uint8_t* data, size_t length) = 0;
    // Stores what is left and closes, still under the temporary name; throws "Stream write
    // error" when anything could not be stored.
    virtual void store() = 0;
    // Gives the stored file its name, in place of what an earlier run left there; throws
    // "Cannot move ... into place as ..." when it cannot.
    virtual void moveIntoPlace() = 0;
    // Both, for an output that is a job's only file.
    void close() {
        store();
        moveIntoPlace();
    }
};

// A job's output file, written through a buffer into a new file PATH.XXXXXX.part that is
// renamed to PATH by moveIntoPlace(); one that goes before that (a job that failed) takes its
// temporary file with it, also from a folder moved away meanwhile, where it is not renamed. A
// character device (/dev/null) is written as it is. Every failure to store bytes, at any write,
// flush or close, is "Stream write error".
class OutputFile : public StreamOutput {
  public:
    static constexpr size_t BufferSize = 128 * 1024;

    // Throws "Cannot create file ..." when the temporary file cannot be created, when PATH is
    // no regular file or character device, or when it names a file this job holds (the source,
    // or another output, also one not yet in place), as `held` knows them; holds its entries
    // there until it goes. An existing PATH is left as it is.
    OutputFile(const std::string& path, OpenFiles& held);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(const uint8_t* data, size_t length) override;
    // Stores what is buffered; throws "Stream write error" when not all of it could be.
    void flush();
    // Stores bytes over ones written before, at a position counted from the file's start: a
    // header whose sizes are known only at the end. What is buffered is stored first, so that
    // it cannot land over them later; these bytes are stored even when that fails.
    void writeAt(uint64_t offset, const uint8_t* data, size_t length);
    void store() override;
    void moveIntoPlace() override;
    // From now on, appends of whole pages from page-aligned memory go to the disk directly, past
    // the page cache, where the file lies on a local filesystem that takes such writes: copying
    // a title's gigabytes into the cache cost the machine more than making them, and more each
    // time. Other writes, and any the filesystem refuses so, go through the cache as before.
    void appendDirectly();
    static constexpr size_t PageBytes = 4096;

    const std::string& path() const { return path_; }
    // Where the bytes are until the file is in place.
    const std::string& writtenPath() const { return temporary_.empty() ? path_ : temporary_; }
    // The bytes written in order that the file holds: all that was written, less a buffer
    // that could not be stored in full.
    uint64_t stored() const { return stored_; }

  private:
    void createBeside(const std::string& folder, const std::string& name);
    // Both give the errno value of a failure, 0 when every byte was stored.
    int flushBuffer();
    // Stores all the bytes at the file's position, or at `offset` when it is given.
    int writeAll(const uint8_t* data, size_t length, std::optional<uint64_t> offset = {});
    void closeDirect();

    std::string path_;
    OpenFiles& held_;
    std::string temporary_; // empty for a character device, written as it is
    // A descriptor closed with its owner, also one whose constructor failed.
    struct HeldFolder {
        int fd = -1;
        HeldFolder() = default;
        HeldFolder(const HeldFolder&) = delete;
        HeldFolder& operator=(const HeldFolder&) = delete;
        ~HeldFolder();
    };
    // The folder of PATH as named and as held open (O_PATH), and the names in it.
    std::string folderPath_;
    HeldFolder folder_;
    std::string name_, temporaryName_;
    int fd_ = -1;
    int directFd_ = -1;                    // the same file, opened to write past the page cache
    std::optional<FileIdentity> identity_; // of the file at PATH, when there is one
    std::optional<OutputName> claimed_;
    bool inPlace_ = false;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t buffered_ = 0;
    uint64_t stored_ = 0;
};

} // namespace splitwick
