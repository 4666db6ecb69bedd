// The playlist's tag scanner: the same lines whether the text is read whole, byte by byte, 2047
// bytes at a time or in pieces of random size.
#include "fuzz_check.h"
#include "playlist/tag_lines.h"
#include "support/scan_record.h"

using namespace splitwick::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Bytes text(data, data + size);
    const auto whole = tagLinesInPieces(text, pieceSizes(Pieces::Whole, size));
    const uint32_t seed = splitwick::fuzz::seedOf(data, size);
    for (Pieces pieces : {Pieces::OneByte, Pieces::Odd2047, Pieces::Random})
        splitwick::fuzz::require(tagLinesInPieces(text, pieceSizes(pieces, size, seed)) == whole,
                                 "lines differ for pieces " + std::to_string(int(pieces)));
    return 0;
}
