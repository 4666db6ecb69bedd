#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/output_file.h"

namespace splitwick::testing {

// A stream output that keeps what is written in memory, for writers tested without files.
class MemoryOutput : public StreamOutput {
  public:
    void write(const uint8_t* data, size_t length) override {
        bytes.insert(bytes.end(), data, data + length);
    }
    void store() override {}
    void moveIntoPlace() override {}
    std::vector<uint8_t> bytes;
};

} // namespace splitwick::testing
