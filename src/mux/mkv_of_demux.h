#pragma once
#include <string>
#include <vector>

#include "engine/job_state.h"
#include "jobs/demuxed_files.h"
#include "jobs/mux_plan.h"
#include "playlist/title_info.h"

namespace splitwick {

// The Matroska file of the streams a Demux wrote, and the streams it cannot take.
struct MkvOfDemux {
    MuxPlan plan;
    // Subpictures not converted to PGS, which no Matroska track takes, and streams of a codec
    // the mux does not know: they stay files of their own, beside the .mkv.
    std::vector<DemuxedStream> besides;
    // Subpicture streams converted to PGS without a subtitle to show: no track is made of them.
    std::vector<DemuxedStream> empty;
};

// Plans `output` of the demux's files: video 0 and 1, then the audio streams, in box order,
// each with its codec from its stream-table entry (else its caption), its delay against the
// picture and, for video stream 0, its measured frame rate, as the demux's scan of the first
// part timed them. A title the playlist gave for this EVO labels the tracks, names the file and
// picks the default audio track; the demux's chapter file gives the chapters.
MkvOfDemux mkvOfDemux(const DemuxedFiles& files, const JobState& state, const TitleInfo& title,
                      const std::string& output);

// Removes the files the mux took (its tracks and chapters) once the .mkv holds them.
void removeMuxInputs(const MuxPlan& plan);

// The log line that names the streams left beside the .mkv; empty when there are none.
std::string besidesLine(const MkvOfDemux& mkv);
// The log line that names the subpicture streams with nothing to show; empty when there are none.
std::string emptyLine(const MkvOfDemux& mkv);

} // namespace splitwick
