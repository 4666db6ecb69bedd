#pragma once
// A stream handed in runs, cut by libavcodec's parser alone (as the frame cutter ran it before it
// cut by sizes or start codes) and by the frame cutter: the two must give the same frames.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/test_files.h"

extern "C" {
#include <libavcodec/avcodec.h>
}

namespace splitwick::testing {

struct ParsedFrame {
    Bytes bytes;
    int64_t pts, dts, samples;
    bool operator==(const ParsedFrame&) const = default;
};

struct StampedRun {
    size_t at, length;
    int64_t pts, dts;
};

// Runs of 1 to `most` bytes, each seventh up to 4,000, two in three stamped (with a DTS on each
// second of those), from `seed`.
std::vector<StampedRun> runsOf(size_t size, size_t most, uint32_t seed = 12345);

// `padded` holds the stream and AV_INPUT_BUFFER_PADDING_SIZE bytes after it.
std::vector<ParsedFrame> parsedAlone(AVCodecID codec, const Bytes& padded,
                                     const std::vector<StampedRun>& runs);
std::vector<ParsedFrame> cutByCutter(AVCodecID codec, const Bytes& padded,
                                     const std::vector<StampedRun>& runs);
// MPEG-2 by the start codes' cutter alone: the frame cutter also joins a sequence end code cut
// alone to the frame before it, which the parser alone does not.
std::vector<ParsedFrame> cutByStartCodes(const Bytes& padded, const std::vector<StampedRun>& runs);

} // namespace splitwick::testing
