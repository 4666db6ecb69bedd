#include "byte_file.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace splitwick::maker {

ByteFile::ByteFile(const std::string& path, size_t bufferSize) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) fail("cannot create");
    std::setvbuf(file_, nullptr, _IOFBF, bufferSize);
}

ByteFile::~ByteFile() {
    if (file_ != nullptr) std::fclose(file_);
}

void ByteFile::write(const uint8_t* data, size_t length) {
    if (length > 0 && std::fwrite(data, 1, length, file_) != length) fail("cannot write");
}

void ByteFile::close() {
    if (file_ == nullptr) return;
    const int result = std::fclose(file_);
    file_ = nullptr;
    if (result != 0) fail("cannot write");
}

void ByteFile::fail(const char* what) const {
    throw std::runtime_error(std::string(what) + " " + path_ + ": " + std::strerror(errno));
}

} // namespace splitwick::maker
