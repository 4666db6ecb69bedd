#include "scan_lines.h"

#include "demux.h"

namespace splitwick {

void ScanLines::streamLeftOut(const StreamCodec& codec, int id, const StreamCodec& kept,
                              int keptId) {
    report_.log(leftOutLine(codec, id, kept, keptId));
}

void ScanLines::systemHeader(int videoBound, int audioBound) {
    report_.log(systemHeaderLine(videoBound, audioBound));
}

} // namespace splitwick
