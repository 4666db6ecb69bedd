#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/job_events.h"
#include "engine/open_files.h"
#include "engine/scan_sink.h"
#include "plan.h"

namespace splitwick {

// What the Matroska file of a demux is made with, besides its tracks.
struct MkvSetup {
    std::string output; // STEM.mkv, the name it takes once it is whole
    std::string title;  // the segment title; empty for none
    // What decides the tracks that play by default, and the level of LPCM as FLAC.
    DefaultTracks defaults;
    int flacLevel = DefaultFlacLevel;
    // Where the playlist places each later part on the title's timeline, from the first's.
    std::vector<int64_t> placesNs;
    std::vector<std::string> laterParts;  // the later parts' files, in order
    std::optional<int64_t> titleLengthNs; // the title's titleDuration, when a playlist gives it
    bool clusterCrc = false;              // a CRC-32 in every cluster
    OpenFiles& openFiles;                 // the job's: the .mkv may take the place of none of them
    JobEvents& events;
};

// A file a demux's pass writes beside the stream files, or in their place, from the same
// payload runs: the Matroska file of the streams.
class PassWriter : public ScanSink {
  public:
    // A track the plan puts into the file, as the pass first meets it. False when it comes too
    // late: the file's tracks were written already.
    virtual bool addTrack(const TrackPlan& plan) = 0;
    // The pass over one part of the title has ended; the next, if any, goes on from it.
    virtual void partEnded() = 0;
    // After the last part of a pass that ran to its end: the rest of the file is written and it
    // takes its name. Throws JobError when no chosen stream could go in.
    virtual void finish(const TitleChapters& chapters) = 0;
    // The tracks the file took, in its order, each with its delay against the picture in the
    // first part.
    virtual std::vector<TrackPlan> tracks() const = 0;
    // The chosen audio and subtitle tracks it could not take, no frame of theirs having come
    // before its tracks were written. (Chosen video without a frame fails the file.)
    virtual std::vector<TrackPlan> leftOut() const = 0;
};

// Makes the Matroska file's writer once the job's source is open, as the job plans it.
using PassWriterMaker = std::function<std::unique_ptr<PassWriter>(const MkvSetup&)>;

} // namespace splitwick
