#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

namespace splitwick {

// The order MPEG-2 pictures are shown in, from the temporal_reference of each, for a stream
// whose pictures carry no timestamps: a picture fed in decoding order (with the headers cut
// with it) is shown this many frames after it is decoded, counting from one frame before the
// first is decoded, so that none is shown before it is decoded (a B-picture right away, an I-
// or P-picture after the B-pictures that come before it). None without a picture header.
class Mpeg2Order {
  public:
    std::optional<int64_t> framesShownAfter(const uint8_t* data, size_t size);

  private:
    int64_t decodedInGop_ = 0; // pictures since the last group_of_pictures header
};

} // namespace splitwick
