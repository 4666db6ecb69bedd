#include "rebuild_pass.h"

#include <algorithm>

#include "engine/scrambled_packs.h"

namespace splitwick {

void PendingBounds::written(const uint8_t* pack, size_t n, const PackEditor& editor) {
    const PackView view({pack, n});
    if (const auto at = view.boundsAt(); view.isPack() && at) {
        Header header{written_ + *at, uint8_t(std::min<size_t>(n - *at, 2)), {}, editor.bounds()};
        std::copy_n(pack + *at, header.size, header.bytes);
        headers_.push_back(header);
    }
    written_ += n;
}

void PendingBounds::settle(OutputFile& output, SystemBounds bounds) const {
    for (const Header& header : headers_) {
        if (header.bounds == bounds) continue;
        uint8_t bytes[2];
        std::copy_n(header.bytes, header.size, bytes);
        PackView::writeBounds({bytes, header.size}, bounds);
        output.writeAt(header.at, bytes, header.size);
    }
}

StopReason rebuildPass(JobEvents& events, std::unique_ptr<SourceFile> source, PackEditor& editor,
                       OutputFile& output, JobProgress& progress, EvoScan* scan,
                       PendingBounds* pending) {
    FilePass pass(events, std::move(source), true, {"Rebuilding", nullptr, &progress});
    // An empty source is not read at all: no progress line, nothing written.
    for (std::span<uint8_t> chunk; !(chunk = pass.next()).empty();) {
        refuseScrambled(chunk, pass.source().path());
        if (scan != nullptr) scan->feed(pass, chunk);
        for (size_t at = 0; at < chunk.size(); at += PackSize) {
            // A last read shorter than a pack is edited and written as far as it goes.
            uint8_t* const pack = chunk.data() + at;
            const size_t n = std::min(PackSize, chunk.size() - at);
            if (!editor.edit(pack, n)) continue;
            output.write(pack, n);
            if (pending != nullptr) pending->written(pack, n, editor);
        }
    }
    return pass.stopReason();
}

} // namespace splitwick
