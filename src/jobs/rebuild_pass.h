#pragma once
#include <memory>
#include <vector>

#include "engine/evo_scan.h"
#include "engine/output_file.h"
#include "pack_editor.h"

namespace splitwick {

// The system headers a rebuild wrote while the numbers of kept streams could still grow (a scan
// in the same pass was still finding the streams), to be set right once the numbers are known.
class PendingBounds {
  public:
    // A pack of n bytes as the editor wrote it, after the ones noted before.
    void written(const uint8_t* pack, size_t n, const PackEditor& editor);
    // Rewrites, in the output, the bounds of every header noted that carries others than these.
    void settle(OutputFile& output, SystemBounds bounds) const;

  private:
    struct Header {
        uint64_t at;  // of the bound bytes in the output
        uint8_t size; // of the bound bytes (audio_bound's, video_bound's) the pack has: 1 or 2
        uint8_t bytes[2];
        SystemBounds bounds;
    };
    std::vector<Header> headers_;
    uint64_t written_ = 0;
};

// One pass of the rebuild over a source from its start, owning it for the pass's length: every
// pack the editor keeps is appended to the output. Shows "Rebuilding NAME a/b Mbytes,
// Remaining time: ..." every 4 MiB; a stop request is seen after the chunk in hand. With a scan,
// each chunk goes through it before its packs are edited, so that the drop tests find every
// stream met up to the end of the chunk, and the packs written are noted in pending. Returns
// why the pass ended.
StopReason rebuildPass(JobEvents& events, std::unique_ptr<SourceFile> source, PackEditor& editor,
                       OutputFile& output, JobProgress& progress, EvoScan* scan = nullptr,
                       PendingBounds* pending = nullptr);

} // namespace splitwick
