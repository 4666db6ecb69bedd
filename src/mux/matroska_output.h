#pragma once
#include <memory>
#include <string>

#include "engine/open_files.h"
#include "engine/report.h"
#include "jobs/demuxed_files.h"
#include "jobs/pass_writer.h"
#include "mkv_of_demux.h"
#include "playlist/title_info.h"

namespace splitwick {

// What the Matroska file of a Demux holds besides its streams.
// Title and state are looked at as the header is written, and again at the end: a job may
// read the playlist on its way.
struct MatroskaSetup {
    std::string output;     // STEM.mkv
    const TitleInfo& title; // the playlist's; it labels the tracks when it is the EVO's
    const JobState& state;  // the EVO read, and once the pass ends its timing
    bool streamFilesToo;    // every stream also gets its own file, as a Demux writes it
    bool subpicturesAsPgs;
    OpenFiles& openFiles; // the job's: the .mkv may take the place of none of them
};

// The Matroska file a Demux's pass writes beside (or instead of) the stream files.
class MatroskaOutput : public PassWriter {
  public:
    // After a pass that ran to its end: the rest of the file is written and it takes its name.
    virtual void finish() = 0;
    // The file made: its tracks in box order, labelled, with the first part's delays, and the
    // streams kept beside it.
    virtual MkvOfDemux made(const DemuxedFiles& files) const = 0;
};

// The writer lives in a module of its own, loaded as the first .mkv is made: the FFmpeg
// libraries it needs cost every other run of the programs their loading time and memory.
// A module that cannot be loaded is a JobError naming it.
std::unique_ptr<MatroskaOutput> openMatroskaOutput(MatroskaSetup setup, Report& report);

} // namespace splitwick
