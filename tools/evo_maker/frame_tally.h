#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

namespace splitwick::maker {

// Frame start codes as a demux counts them: only those wholly inside one packet's payload,
// wherever the reads of the file end.
class FrameTally {
  public:
    // A payload of video stream videoIndex.
    void add(int videoIndex, uint32_t startCode, const uint8_t* data, size_t length);
    const std::array<int64_t, 2>& counts() const { return counts_; }

  private:
    std::array<int64_t, 2> counts_{};
};

} // namespace splitwick::maker
