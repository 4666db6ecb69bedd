#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "filler.h"

namespace splitwick::maker {

// The endless byte stream of one made stream: units (video frames, audio or subpicture units)
// of random size around a mean, each opening with the codec's frame start code, if it has one,
// and with traps on, every third unit also with a PES start-code pattern that a demux must
// take as payload. All other bytes are filler.
class ElementaryStream {
  public:
    ElementaryStream(uint32_t frameStartCode, uint32_t meanUnitBytes, bool traps, uint64_t seed);

    // The next length bytes of the stream.
    void take(uint8_t* out, size_t length);
    // Frame start codes begun so far.
    int64_t startCodes() const { return startCodes_; }

  private:
    void beginUnit();

    Filler filler_;
    const uint32_t frameStartCode_;
    const uint32_t meanUnitBytes_;
    const bool traps_;
    std::array<uint8_t, 16> head_{}; // the unit's opening bytes
    size_t headLength_ = 0;
    size_t headTaken_ = 0;
    size_t bodyLeft_ = 0;
    int64_t units_ = 0;
    int64_t startCodes_ = 0;
};

} // namespace splitwick::maker
