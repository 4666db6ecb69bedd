#pragma once
#include "chapter_file.h"
#include "demuxed_files.h"
#include "engine/session.h"
#include "pass_writer.h"

namespace splitwick {

// Demux: writes every ticked stream of the chosen EVO into a file of its own (and a .pts side
// file per subpicture), going on into the second part of a split title. Gives the files it
// wrote.
DemuxedFiles bDemuxClick(Session& session);
// The same, writing also the title's chapters to OUTPUTPREFIX.chapters.xml when it has any.
// boxesFromTitle: Read XPL labelled the boxes, so the title and the EVO may disagree (see
// TitleMismatch). alsoWrites: a file the pass writes from the ticked streams too, which tells
// which of them still get files of their own.
DemuxedFiles bDemuxClick(Session& session, const TitleChapters& chapters,
                         bool boxesFromTitle = false, PassWriter* alsoWrites = nullptr);

} // namespace splitwick
