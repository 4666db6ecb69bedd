#include "scan_lines.h"

#include "evo_scan.h"

namespace splitwick {

void ScanLines::systemHeader(int videoBound, int audioBound) {
    events_.logged(systemHeaderLine(videoBound, audioBound));
}

} // namespace splitwick
