// The one-pass comparison with the options that change what a demux writes, and with Cancel:
// LPCM as WAV (whose format changes end the job), extensions by codec, and a cancel while the
// outputs are written, which must keep the same files both ways.
//
// Input: an options byte, then the input of the one-pass target (one_pass_input.h).
//   bit 0   LPCM as WAV
//   bit 1   extensions by codec
//   bit 2   Cancel while writing
#include "one_pass_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t options = size > 0 ? data[0] : 0;
    splitwick::testing::Ask ask;
    ask.lpcmWav = (options & 1) != 0;
    ask.extByCodec = (options & 2) != 0;
    const size_t skipped = std::min<size_t>(size, 1);
    splitwick::fuzz::checkOnePass(data + skipped, size - skipped, ask, (options & 4) != 0);
    return 0;
}
