// The pack scanner with the stream writer: the same events, stream table, frame counts and output
// bytes whether the input is read whole, byte by byte, 2047 bytes at a time or in pieces of
// random size, in check mode and in demux mode.
#include "fuzz_check.h"
#include "support/scan_record.h"
#include "support/test_files.h"

using namespace splitwick::testing;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempFolder outputs;
    const Bytes input(data, data + size);
    const uint32_t seed = splitwick::fuzz::seedOf(data, size);
    for (bool demuxMode : {false, true}) {
        const ScanRecord whole =
            scanInPieces(input, pieceSizes(Pieces::Whole, size), demuxMode, outputs.path());
        for (Pieces pieces : {Pieces::OneByte, Pieces::Odd2047, Pieces::Random}) {
            const ScanRecord cut =
                scanInPieces(input, pieceSizes(pieces, size, seed), demuxMode, outputs.path());
            const std::string difference = firstDifference(whole, cut);
            splitwick::fuzz::require(difference.empty(),
                                     std::string(demuxMode ? "demux" : "check") + " mode, pieces " +
                                         std::to_string(int(pieces)) + ": " + difference);
        }
    }
    return 0;
}
