// splitwick-cli's demux and rebuild in one pass against the reads and the job one after another,
// on a file made from the input: whatever the bytes, the same files, lines, frame counts and
// boxes. Input: as one_pass_input.h says.
#include "one_pass_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    splitwick::fuzz::checkOnePass(data, size, {}, false);
    return 0;
}
