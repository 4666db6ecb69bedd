#pragma once
#include <string>
#include <vector>

#include "engine/job_state.h"
#include "jobs/demuxed_files.h"
#include "jobs/mux_plan.h"
#include "playlist/title_info.h"

namespace splitwick {

// The Matroska file of a Demux's streams, and the streams it cannot take.
struct MkvOfDemux {
    MuxPlan plan;
    // Subpictures not converted to PGS, which no Matroska track takes, and streams of a codec
    // the mux does not know: they stay files of their own, beside the .mkv.
    std::vector<DemuxedStream> besides;
};

// Plans `output` of the demux's files: video 0 and 1, then the audio streams, in box order,
// each with its codec from its stream-table entry (else its label), its delay against the
// picture and, for video stream 0, its measured frame rate, as the demux's scan of the first
// part timed them. A title the playlist gave for this EVO labels the tracks, names the file and
// picks the default audio track.
MkvOfDemux mkvOfDemux(const DemuxedFiles& files, const JobState& state, const TitleInfo& title,
                      const std::string& output);

// Whether the playlist's title is that of the EVO read: another EVO's says nothing about its
// streams.
bool isTitleOf(const TitleInfo& title, const std::string& evoName);
// A track's label: the title's for the box when it is the EVO's, else "und" and the label.
TrackLabel trackLabel(const TitleInfo& title, const std::string& evoName, Box box,
                      const std::string& label);
// Where a box's stream starts against the picture in the first part, in ms: a split title's
// later parts follow the first in the same tracks. 0 for a stream no scan timed.
int64_t firstPartDelay(const JobState& state, Box box);

// The log line that names the streams left beside the .mkv; empty when there are none.
std::string besidesLine(const MkvOfDemux& mkv);

} // namespace splitwick
