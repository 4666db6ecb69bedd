#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace splitwick::maker {

// A file written through a buffer of its own size, so that many files can be written side by
// side in bounded memory. Every failure throws std::runtime_error naming the file.
class ByteFile {
  public:
    ByteFile(const std::string& path, size_t bufferSize);
    ~ByteFile();
    ByteFile(const ByteFile&) = delete;
    ByteFile& operator=(const ByteFile&) = delete;

    void write(const uint8_t* data, size_t length);
    void close();
    const std::string& path() const { return path_; }

  private:
    [[noreturn]] void fail(const char* what) const;

    std::string path_;
    std::FILE* file_ = nullptr;
};

} // namespace splitwick::maker
