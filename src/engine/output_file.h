#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "open_files.h"

namespace splitwick {

// What a job writes a stream to: the output of a box.
class StreamOutput {
  public:
    virtual ~StreamOutput() = default;
    // Empties what an earlier run left; a job does so once all its outputs are open.
    virtual void truncate() = 0;
    virtual void write(const uint8_t* data, size_t length) = 0;
    // Stores what is left and closes; throws "Stream write error" when anything could not be
    // stored.
    virtual void close() = 0;
};

// A job's output file: created, or opened when it exists and emptied by truncate(), then written
// through a buffer. Every failure to store bytes, at any write, flush or close, is
// "Stream write error".
class OutputFile : public StreamOutput {
  public:
    static constexpr size_t BufferSize = 128 * 1024;

    // Throws "Cannot create file ..." when the file cannot be created, or when it is a file this
    // job already holds open (the source or another output). An existing file is left as it is.
    explicit OutputFile(const std::string& path);
    // Stores what is buffered as far as it can and closes, without throwing: the way out of a
    // job that is failing anyway.
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Empties an existing file; a job does so once all its outputs are open, so that a run that
    // cannot start leaves every earlier file as it was. Throws "Cannot create file ..." too.
    void truncate() override;
    void write(const uint8_t* data, size_t length) override;
    // Stores bytes over ones written before, at a position counted from the file's start: a
    // header whose sizes are known only at the end. What is buffered is stored first, so that
    // it cannot land over them later.
    void writeAt(uint64_t offset, const uint8_t* data, size_t length);
    // Flushes and closes; throws "Stream write error" when anything could not be stored.
    void close() override;

    const std::string& path() const { return path_; }

  private:
    // Both give the errno value of a failure, 0 when every byte was stored.
    int flush();
    // Stores all the bytes at the file's position, or at `offset` when it is given.
    int writeAll(const uint8_t* data, size_t length, std::optional<uint64_t> offset = {});

    std::string path_;
    int fd_ = -1;
    FileIdentity identity_{};
    // A regular file (not a device such as /dev/null) with bytes of an earlier run in it.
    bool holdsEarlierBytes_ = false;
    std::unique_ptr<uint8_t[]> buffer_;
    size_t buffered_ = 0;
};

} // namespace splitwick
