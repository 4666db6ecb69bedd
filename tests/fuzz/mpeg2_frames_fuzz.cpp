// MPEG-2 video cut by its start codes gives what libavcodec's parser gives the same runs: the
// same frames, byte for byte, with the same stamps. The input is the stream; the runs it is
// handed in (1 to 7 bytes, or up to 2,000) and their stamps are drawn from it.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "parser_runs.h"

using splitwick::fuzz::require;
using namespace splitwick::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const uint32_t seed = splitwick::fuzz::seedOf(data, size);
    Bytes padded(data, data + size);
    padded.resize(size + AV_INPUT_BUFFER_PADDING_SIZE);
    const std::vector<StampedRun> runs = runsOf(size, seed % 2 == 0 ? 7 : 2000, seed);
    const std::vector<ParsedFrame> expected = parsedAlone(AV_CODEC_ID_MPEG2VIDEO, padded, runs);
    const std::vector<ParsedFrame> got = cutByStartCodes(padded, runs);
    require(got.size() == expected.size(), std::to_string(got.size()) + " frames, the parser's " +
                                               std::to_string(expected.size()));
    for (size_t i = 0; i < got.size(); ++i)
        require(got[i] == expected[i], "frame " + std::to_string(i) + " differs");
    return 0;
}
