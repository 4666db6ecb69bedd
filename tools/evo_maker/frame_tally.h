#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace splitwick::maker {

// Frame start codes as a demux counts them: only those wholly inside one payload run, a run
// being the part of one packet's payload that lies in one 32768-byte chunk of its file.
class FrameTally {
  public:
    static constexpr int64_t ChunkSize = 32768;

    // A payload of video stream videoIndex that begins at fileOffset of its file.
    void add(int videoIndex, uint32_t startCode, const uint8_t* data, size_t length,
             int64_t fileOffset);
    const std::array<int32_t, 2>& counts() const { return counts_; }

  private:
    std::array<int32_t, 2> counts_{};
};

} // namespace splitwick::maker
