#pragma once
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "engine/frame_counter.h"
#include "engine/stop_reason.h"
#include "engine/stream_timing.h"
#include "jobs/plan.h"
#include "playlist/disc_titles.h"
#include "playlist/playlist.h"
#include "playlist/playlist_view.h"

namespace splitwick::cli {

// A stream a run knows: its name, its label (the playlist's, else the scan's) and the identifier
// a scan found for it (none for one only the playlist names).
struct KnownStream {
    TrackName name;
    std::string caption;
    std::optional<int> id;
};

// The streams known after the reads: with a playlist whose title plays the EVO, each stream the
// title names, with the identifier of the first track met of its name; otherwise every track
// scanned, in track order.
std::vector<KnownStream> knownStreams(const std::vector<Track>& scanned,
                                      const PlaylistRead* labels);

// What the JSON summary of a run tells besides its log.
struct RunSummary {
    std::vector<KnownStream> streams;
    std::optional<FrameCounts> frames; // none when not counted: not asked for, or stopped
    StopReason stop = StopReason::EndOfFile;
    int64_t scrambledPacks = 0;
    TitleTiming timing;
};

// {"log":[...],"streams":[{"box":"cbAudio00","caption":"DD+.stream.00","id":192}],
//  "frames":[n0,n1],"cancelled":false,"stopped_at_fast_check_limit":false,"scrambled_packs":0,
//  "timing":{...}}: the streams known, the frame counts (null when not counted), whether the
// run was stopped by a signal, or at the fast check's limit; the timing is what the run's scans
// found (null when none did):
//  {"video_frame_rate":"24000/1001","streams":[{"box":"cbAudio00","first_pts":97508,
//  "delay_ms":37}],"parts":[{"file":"F_1.EVO","video_frame_rate":...,"reference_pts":N,
//  "streams":[...]},{"file":"F_2.EVO",...,"seam_ms":0,"streams":[{...,"after_seam_ms":N}]}]}
// where the top-level rate and streams are the first part's. mkv, when given, is the value of an
// "mkv" member behind them.
std::string summaryJson(const std::vector<std::string>& log, const RunSummary& run,
                        const std::string& mkv = "");

// {"error":"No stream found in \"F.EVO\".","exit":1,"detail":"...","log":[...],"streams":[...]}:
// a run that failed, with what was known when it did: the log so far and the streams found
// (left out for a usage error). detail, the error's second line, only where it has one.
std::string failureJson(const std::string& error, const std::string& detail, int exit,
                        const std::vector<std::string>& log,
                        const std::vector<KnownStream>* streams);

// {"file":"OUT/NAME.mkv","tracks":[{"box":"cbAudio00","codec":"E-AC-3","language":"eng",
//  "name":"English","delay_ms":0}],"chapters":N,"left_out":[{"box":"audio01","label":"...",
//  "reason":"no frame found in its stream"}]}: the Matroska file made, its tracks in order, and
//  the chosen tracks it could not take.
std::string mkvJson(const std::string& file, const std::vector<TrackPlan>& tracks, size_t chapters,
                    const std::vector<TrackPlan>& leftOut);

// --dry-run: {"log":[...],"plan":{"files":["OUT/F.DD.stream.00.ac3",...],"tracks":[as in
// mkvJson],"chapters":N}}, the files the job would write and the tracks of its streams.
std::string dryRunJson(const std::vector<std::string>& log, const Plan& plan);

// {"log":[...],"memo":[...],"tree":{"Info":[...],"Video":[...],"Audio":[...],"Subtitle":[...],
//  "Chapter":[...]},"boxes":[{"box":"cbAudio00","caption":"...","hint":"...","language":"eng",
//  "kind":"commentary"}],"title_found":true,"title":{"name":"...","duration_ms":N},
//  "chapters":[{"start_ms":N,"name":"..."}]}: the boxes are the streams the title labels, in
// name order, with language and kind where the playlist gives them; title is null when no title
// was found, duration_ms null when the title gives none that can be read; the chapters are on the
// title's timeline. Written as it goes, since the memo may be large.
void writePlaylistJson(std::ostream& out, const PlaylistRead& read, const PlainPlaylistView& view,
                       const std::vector<std::string>& log);

// {"titles":[{"playlist":"VPLST000.XPL","number":2,"name":"...","duration_ms":N,
//  "clips":[{"evo":"HVDVD_TS/A.EVO","begin_ms":0,"end_ms":N,"present":true}],"chapters":29,
//  "audio":[{"stream":1,"language":"eng","kind":"normal","codec":"DD+","channels":6,
//  "name":"English"}],"subtitles":[{"stream":1,"language":"eng","kind":"normal"}],"main":true}]}:
// members the playlist does not give are left out, as in the xpl object.
std::string titlesJson(const Disc& disc);

// The XPL page's tree as text: each top-level entry on a line of its own, its children below
// it indented by two spaces.
std::string treeText(const PlaylistTree& tree);

} // namespace splitwick::cli
