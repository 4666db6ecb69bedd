#include "read_evo.h"

#include "engine/evo_scan.h"
#include "engine/job_error.h"
#include "engine/path_parts.h"
#include "engine/program_stream_check.h"
#include "engine/scrambled_packs.h"
#include "engine/stream_finder.h"
#include "engine/timing_recorder.h"
#include "timing_lines.h"

namespace splitwick {

std::unique_ptr<SourceFile> openEvo(JobEvents& events, OpenFiles& files, const std::string& path,
                                    const char* phaseAfterOpening) {
    events.logged("Opening file " + fileNameOf(path));
    events.phase("Opening");
    auto source = std::make_unique<SourceFile>(path, files);
    requireProgramStream(path);
    if (phaseAfterOpening != nullptr) events.phase(phaseAfterOpening);
    events.logged(fileSizeLine(*source));
    return source;
}

std::string fileSizeLine(const SourceFile& source) {
    return "File size: " + std::to_string(source.size() / MiB) + " Mbytes.";
}

void requireStreams(const TrackList& found, const std::string& evoPath) {
    if (found.empty())
        throw JobError(JobErrorKind::Input, "No stream found in \"" + fullPath(evoPath) + "\"");
}

PartTiming keepTiming(TitleTiming& timing, TimingRecorder& recorder, const std::string& file,
                      StopReason stop) {
    PartTiming part = recorder.endPart(file);
    if (stop != StopReason::Cancelled) timing.addPart(part);
    return part;
}

ReadResult readEvo(const JobRequest& request, JobEvents& events) {
    OpenFiles files;
    ReadResult read;
    StreamFinder finder(events);
    FrameTally frames(request.countFrames);
    frames.countEveryStream(read.frames);
    TimingRecorder timing;
    ScrambleTally scrambled;
    ScanSinks sinks{&finder, &frames, &timing, &scrambled};
    read.stop = scanEvo(events, openEvo(events, files, request.evoPath, "Reading"), sinks,
                        read.tracks, {false, request.fastCheck, {"Reading"}});
    // A pass that was stopped counted part of the file only: it reports no frames.
    if (read.stop != StopReason::EndOfFile) read.frames = {0, 0};
    keepTiming(read.timing, timing, fileNameOf(request.evoPath), read.stop);
    read.scrambledPacks = scrambled.scrambled();
    events.done();
    if (scrambled.scrambled() > 0) events.warning(scrambled.line());
    // Late streams (audio starting minutes in, subpictures) would otherwise go without a word.
    if (const std::string missing = finder.missingStreamsLine();
        read.stop == StopReason::FastCheckLimit && !missing.empty())
        events.warning(missing);
    logFrameCounts(events, read.frames);
    logTiming(events, read.timing);
    return read;
}

} // namespace splitwick
