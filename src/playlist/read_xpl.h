#pragma once
#include "engine/session.h"
#include "engine/source_file.h"
#include "playlist.h"
#include "playlist_view.h"

namespace splitwick {

// Read XPL: reads the requested playlist into the memo, one tag a line, and fills the attribute
// tables; then cuts the memo down to the title that plays evoName, rebuilds the tree from it,
// and makes that title's streams known, chosen and labelled. Returns whether the title was
// found (the tree is left as it was when not).
// A playlist over 16 MiB is refused as it is opened. A failure during the scan shows the tags
// read so far.
bool readPlaylist(Session& session, Playlist& playlist, PlaylistView& view);

// Real playlists are under 100 KiB: a file over 16 MiB is refused with an error naming it.
void refuseOversizedPlaylist(const SourceFile& source);

} // namespace splitwick
