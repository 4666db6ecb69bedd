#pragma once
#include <functional>
#include <optional>
#include <vector>

#include "chapter_file.h"
#include "demuxed_files.h"
#include "engine/session.h"
#include "pass_writer.h"
#include "rebuild_state.h"

namespace splitwick {

// What the command line asks of a job that runs after the reads.
struct JobAfterReads {
    // The boxes whose streams the job writes or keeps; none given: every box the reads enable.
    std::optional<std::vector<Box>> boxes;
    // Read XPL, as it would run after Read EVO; gives the chapters of the EVO's title. Empty
    // when no playlist was chosen.
    std::function<TitleChapters()> readPlaylist;
    // A file the pass writes from the chosen streams too (the Matroska file); it tells which
    // streams still get files of their own. None: every chosen stream gets its files.
    PassWriter* alsoWrites = nullptr;
};

// Read EVO, Read XPL when a playlist is chosen, then Demux of the boxes asked for, as the
// command line ran them one after another, in one pass over the source: the same files with the
// same bytes, the same log lines in the same order, the same frame counts and box states.
//
// The playlist is read first, so that its captions name the outputs. The streams are found as
// the pass meets them, and a chosen box's outputs are created when its stream is first met:
// each such output is opened, checked against the files the job holds (the source, the outputs
// made before it) and the title's second part, and only then emptied. So a run that fails to
// create one leaves the outputs of streams not met yet as an earlier run left them, and never
// empties the source, the second part or another output. Once the first part is read, Read
// EVO's lines go out, the request is checked against the streams found (as it was after the
// reads), and the chosen boxes whose stream the part lacks get their (empty) outputs and the
// chapter file, all opened before any is emptied. The streams the second part brings that the
// first lacks are not written, as they had no box. Gives why the last pass ended, and the files
// it wrote in `written` when that is given.
StopReason demuxInOnePass(Session& session, const JobAfterReads& request,
                          DemuxedFiles* written = nullptr);

// Read EVO, Read XPL when a playlist is chosen, then Rebuild of the boxes asked for, in one
// pass over the source. The rebuild's drop tests look up the streams the pass has found up to
// the end of the chunk in hand (the playlist's marks after Read XPL); the system headers written
// before the first part's streams were all known are set right once they are. Gives why the
// last pass ended.
StopReason rebuildInOnePass(Session& session, RebuildState& rebuild, const JobAfterReads& request);

} // namespace splitwick
