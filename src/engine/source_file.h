#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "open_files.h"

namespace splitwick {

// The job's input: an existing regular file opened read-only, closed when the object goes.
class SourceFile {
  public:
    // Throws "Cannot open file ..." when the file is missing, unreadable, a folder, not a
    // regular file (a FIFO, a device), or already open in this job.
    explicit SourceFile(const std::string& path);
    ~SourceFile();
    SourceFile(const SourceFile&) = delete;
    SourceFile& operator=(const SourceFile&) = delete;

    int64_t size() const { return size_; }
    int64_t position() const { return position_; }
    const std::string& path() const { return path_; }
    // The file name without its folder.
    std::string fileName() const;

    // Reads max bytes, fewer only at the end of the file. A read that brings nothing before the
    // end of the file throws "Cannot read file ..." rather than returning 0, so no reading loop
    // can spin for ever.
    size_t read(uint8_t* into, size_t max);

  private:
    // Reads of a whole 32 KiB chunk or more go straight to the file; smaller ones (a pack at a
    // time) are served from a read-ahead, so that they cost no system call each.
    static constexpr size_t DirectRead = 32768;
    static constexpr size_t ReadAhead = 65536;

    size_t readFile(uint8_t* into, size_t max);
    size_t readAhead(uint8_t* into, size_t max);

    std::string path_;
    int fd_ = -1;
    FileIdentity identity_{};
    int64_t size_ = 0;
    int64_t position_ = 0; // of the bytes handed out
    std::vector<uint8_t> ahead_;
    size_t aheadAt_ = 0;
    size_t aheadEnd_ = 0;
};

} // namespace splitwick
