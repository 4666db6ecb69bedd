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

// What Demux and Rebuild are asked for besides the session's request.
struct StreamJob {
    // The streams the job writes or keeps; none given: every stream the reads make known.
    std::optional<std::vector<Box>> boxes;
    // Read XPL, as it would run after Read EVO; gives the chapters of the EVO's title. Empty
    // when no playlist was chosen.
    std::function<TitleChapters()> readPlaylist;
    // The window: Read EVO (and Read XPL) ran as commands of their own before; their lines are
    // not logged again, and readPlaylist only gives the chapters.
    bool readsLogged = false;
    // With readsLogged: Read XPL labelled the streams last, so its labels name the outputs.
    bool labelsFromPlaylist = false;
    // A file the pass writes from the chosen streams too (the Matroska file); it tells which
    // streams still get files of their own. None: every chosen stream gets its files.
    PassWriter* alsoWrites = nullptr;
};

// The job as the window asks for it after its reads: every chosen stream, known or not (a tick
// left on a box whose stream the file lacks still counts), the title's chapters, and whether the
// playlist labelled the streams last.
StreamJob afterReads(const StreamChoice& streams, TitleChapters chapters = {},
                     bool labelsFromPlaylist = false);

// Demux: Read EVO, Read XPL when a playlist is chosen, then the writing of the streams asked
// for, in one pass over the source, with the log lines of those jobs one after another.
//
// The playlist is read first, so that its labels name the outputs. The streams are found as
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
StopReason demux(Session& session, const StreamJob& job, DemuxedFiles* written = nullptr);

// Rebuild: Read EVO, Read XPL when a playlist is chosen, then the copy of the EVO with the
// streams asked for, in one pass over the source. The rebuild's drop tests look up the streams the
// pass has found up to the end of the chunk in hand (the playlist's marks after Read XPL); the
// system headers written before the first part's streams were all known are set right once they
// are. Gives why the last pass ended.
StopReason rebuild(Session& session, RebuildState& rebuild, const StreamJob& job);

} // namespace splitwick
