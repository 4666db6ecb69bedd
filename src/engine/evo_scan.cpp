#include "evo_scan.h"

#include "pack_view.h"
#include "scrambled_packs.h"

namespace splitwick {

void EvoScan::feed(const FilePass& pass, std::span<const uint8_t> chunk) {
    // The first full chunk: a system header right behind the first pack header gives the bounds.
    if (pass.source().position() == int64_t(BufferSize))
        if (const auto bounds = PackView(chunk.first(std::min(chunk.size(), PackSize))).bounds())
            sink_.systemHeader(bounds->video, bounds->audio);
    scanPacks(chunk, sink_);
    scanner_.feed(chunk.data(), chunk.size());
}

StopReason scanEvo(JobEvents& events, std::unique_ptr<SourceFile> source, ScanSink& sink,
                   TrackList& tracks, const ScanMode& mode) {
    FilePass pass(events, std::move(source), mode.writes, mode.line);
    // A pass that writes stops at the first scrambled pack, seen before its chunk is scanned.
    ScrambleGuard guard(pass.source().path());
    ScanSinks guarded{&guard, &sink};
    EvoScan scan(tracks, mode.writes ? static_cast<ScanSink&>(guarded) : sink);
    for (std::span<uint8_t> chunk; !(chunk = pass.next()).empty();) {
        if (mode.fastCheck && pass.source().position() > FastCheckLimit)
            pass.stop(StopReason::FastCheckLimit);
        scan.feed(pass, chunk);
    }
    sink.scanEnded(pass.stopReason());
    return pass.stopReason();
}

std::string systemHeaderLine(int videoBound, int audioBound) {
    return "It contains " + std::to_string(videoBound) + " video stream" +
           (videoBound > 1 ? "s" : "") + " and " + std::to_string(audioBound) + " audio stream" +
           (audioBound > 1 ? "s." : ".");
}

} // namespace splitwick
