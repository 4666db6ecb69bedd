#pragma once
#include "engine/frame_counter.h"
#include "pass_writer.h"
#include "plan.h"
#include "read_evo.h"

namespace splitwick {

// What a demux did.
struct DemuxResult {
    StopReason stop = StopReason::EndOfFile; // why its last pass ended
    // What its own read of the first part found; nothing when the window's Read EVO read before.
    ReadResult read;
    // Its own read of the playlist, when it made one.
    std::optional<PlaylistRead> playlist;
    FrameCounts written{};             // frames of the video tracks written, over every part
    TitleTiming timing;                // of every part read
    Plan plan;                         // as carried out: the chosen tracks met, with their files
    std::vector<TrackPlan> mkvTracks;  // the tracks of the .mkv, when one was made
    std::vector<TrackPlan> mkvLeftOut; // chosen for it, but without a frame: not in it
};

// Demux: the chosen streams of the title's EVOs written into their files (and into the .mkv,
// when the request asks for one), in one pass over each EVO.
//
// Without the window's reads before it, the job is Read EVO, Read XPL (with a playlist) and
// Demux in one pass, with the lines of those jobs one after another: Read EVO's as the first
// part's pass meets them; at its end "Done.", its frame counts and timing, Read XPL's lines
// (the playlist is read first, so that its labels name the outputs), then the Demux's
// "Opening file", size and "Creating" lines. There the request is checked against the streams
// found: a name or language that matches none is a usage error.
//
// A chosen track's files are created when the pass first meets its stream (the window's, whose
// Read EVO knew them, before the pass): each output is opened, checked against the files the job
// holds (the source, the outputs made before it) and the title's later parts, and only then
// emptied. So a run that fails to create one leaves the outputs of streams not met yet as an
// earlier run left them, and never empties the source, a later part or another output. A stream
// that a later part brings and the first lacks is left out with a line.
DemuxResult demux(const JobRequest& request, JobEvents& events,
                  const PassWriterMaker& makeMkv = nullptr);

} // namespace splitwick
