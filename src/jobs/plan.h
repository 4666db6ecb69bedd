#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/stream_timing.h"
#include "engine/track.h"
#include "job_request.h"
#include "mux_plan.h"
#include "playlist/title_chapters.h"
#include "playlist/title_info.h"
#include "title_parts.h"
#include "track_flags.h"

namespace splitwick {

// A track as a job plans it: the stream a scan met, the label its files take (the playlist's,
// when the title names the stream, else the scan's) and the playlist's words on it.
struct LabelledTrack {
    Track track;
    std::string label;
    std::string description;
    // With a playlist whose title plays the EVO: whether the title names the stream (only the
    // first track met of a name can be the title's). Without one, every track is the title's.
    bool inTitle = true;
};

// Labels a track met by a scan, by the playlist's read when there is one.
LabelledTrack labelTrack(const Track& track, const PlaylistRead* playlist, bool firstOfName);
// Labels every track of a scan, in the order met.
std::vector<LabelledTrack> labelTracks(const TrackList& tracks, const PlaylistRead* playlist);

// How a track's stream file holds it.
enum class FileForm { Raw, Wav, Pgs };

// What a job writes of one track: its files, and how the .mkv takes it.
struct TrackPlan {
    LabelledTrack track;
    std::string file;       // its stream file; empty when it gets none of its own
    std::string timestamps; // a raw subpicture stream's .pts file
    FileForm form = FileForm::Raw;
    // In the .mkv (when the job makes one): its codec there and its language, kind and name.
    std::optional<MuxCodec> mkvCodec;
    TrackLabel mkvLabel;
    std::optional<int64_t> delayMs; // against the picture, where a scan timed it
    // Its flags there, which setTrackFlags decides over the file's tracks.
    bool mkvDefault = false, mkvForced = false;
    // A DTS track's core as a track of its own beside it (--dts-core): its label. The run
    // writes it for a DTS-HD stream only; plain DTS is its own core.
    std::optional<TrackLabel> mkvCore;
};

// What a job writes: the one plan the dry run prints, the run carries out track by track as its
// pass meets them, and the window's Demux (with its mux) takes alike.
struct Plan {
    std::vector<TrackPlan> tracks; // of the chosen tracks, in track order
    std::string chapters;          // STEM.chapters.xml beside the streams; empty for none
    std::string rebuilt;           // STEM.rebuilt.EVO of a rebuild
    std::string mkv;               // STEM.mkv
    std::string mkvTitle;          // the segment title; empty for none
    size_t chapterCount = 0;

    // The files, in the order the job names them.
    std::vector<std::string> files() const;
};

// The facts a plan goes by besides the tracks: what the job is asked, the title's parts (which
// name the outputs) and what the playlist says of the title, when it plays the EVO.
class Planner {
  public:
    Planner(const JobRequest& request, const TitleParts& parts, const TitleInfo* title);

    // Whether the job takes the track: the names or languages the request gives, else every
    // track of the title.
    bool chosen(const LabelledTrack& track) const {
        return chosen(track.track.name(), track.inTitle);
    }
    bool chosen(TrackName name, bool inTitle) const;
    // The plan of one chosen track, as the job meets it.
    TrackPlan track(const LabelledTrack& track) const;
    // The chapters the outputs take, from the start of the EVO's clip on.
    TitleChapters chapters() const;
    const std::string& prefix() const { return prefix_; }
    // What decides the .mkv's default tracks: the first --lang, else the title's.
    DefaultTracks defaultTracks() const;

    // The plan's files that belong to no track: the chapters, the rebuilt EVO, the .mkv.
    Plan titleFiles() const;
    // The whole plan over these tracks, each timed by the first part of this timing.
    Plan plan(const std::vector<LabelledTrack>& tracks, const TitleTiming& timing) const;

  private:
    const JobRequest& request_;
    const TitleInfo* title_;
    std::string prefix_;
};

// The plan of a DTS track's core as a .mkv track of its own: its label, and never the track
// that plays by default.
TrackPlan corePlan(const TrackPlan& dts);

// A request's names and languages must each match a track the title has: one that matches none
// is a usage error (JobErrorKind::Usage) naming those that exist.
void checkChoice(const TrackChoice& choice, const std::vector<LabelledTrack>& tracks,
                 const TitleInfo* title);

} // namespace splitwick
