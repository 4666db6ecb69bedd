#include "demux.h"

#include "pack_layout.h"
#include "scrambled_packs.h"

namespace splitwick {

EvoScan::EvoScan(StreamTable& table, ScanSink& sink, ScanStart start)
    : sink_(sink), scanner_(table, sink) {
    if (start == ScanStart::Cleared) table.fill(-1);
}

void EvoScan::feed(const FilePass& pass, std::span<const uint8_t> chunk) {
    // The first full chunk: a system header right behind a 14-byte pack header gives the bounds,
    // video_bound and audio_bound.
    if (pass.source().position() == int64_t(BufferSize) && chunk[StreamIdOffset - 1] == 0x01 &&
        chunk[StreamIdOffset] == SystemHeaderId)
        sink_.systemHeader(chunk[VideoBoundOffset] & VideoBoundMask,
                           (chunk[AudioBoundOffset] >> AudioBoundShift) & AudioBoundMask);
    scanPacks(chunk, sink_);
    scanner_.feed(chunk.data(), chunk.size());
}

StopReason scanEvo(Session& session, std::unique_ptr<SourceFile> source, ScanSink& sink,
                   StreamTable& table, ScanMode mode, ScanStart start) {
    const bool writes = mode == ScanMode::Demux;
    FilePass pass(session, std::move(source), writes, writes ? "Demuxing" : "Reading");
    // A pass that writes stops at the first scrambled pack, seen before its chunk is scanned.
    ScrambleGuard guard(pass.source().path());
    ScanSinks guarded{&guard, &sink};
    EvoScan scan(table, writes ? static_cast<ScanSink&>(guarded) : sink, start);
    const bool fastCheck = !writes && session.request.fastCheck;
    for (std::span<uint8_t> chunk; !(chunk = pass.next()).empty();) {
        if (fastCheck && pass.source().position() > FastCheckLimit)
            pass.stop(StopReason::FastCheckLimit);
        scan.feed(pass, chunk);
    }
    return pass.stopReason();
}

std::string systemHeaderLine(int videoBound, int audioBound) {
    return "It contains " + std::to_string(videoBound) + " video stream" +
           (videoBound > 1 ? "s" : "") + " and " + std::to_string(audioBound) + " audio stream" +
           (audioBound > 1 ? "s." : ".");
}

} // namespace splitwick
