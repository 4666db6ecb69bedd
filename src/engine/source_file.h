#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "open_files.h"

namespace splitwick {

// The job's input: an existing regular file opened read-only, closed when the object goes.
class SourceFile {
  public:
    // Throws "Cannot open file ..." when the file is missing, unreadable, a folder, not a
    // regular file (a FIFO, a device), or already open in the job whose files `held` are; holds
    // its entry there while it is open.
    SourceFile(const std::string& path, OpenFiles& held);
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
    std::string path_;
    OpenFiles& held_;
    int fd_ = -1;
    FileIdentity identity_{};
    int64_t size_ = 0;
    int64_t position_ = 0;
};

} // namespace splitwick
