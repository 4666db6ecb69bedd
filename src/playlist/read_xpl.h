#pragma once
#include <string>

#include "engine/job_events.h"
#include "engine/source_file.h"
#include "playlist.h"
#include "playlist_view.h"

namespace splitwick {

// Read XPL: reads the playlist at `path` into the memo, one tag a line, and its attribute items
// into tables; then cuts the memo down to the title that plays the EVO of this stem, rebuilds
// the tree from it, and labels that title's streams. Logs "Open NAME", its size, a "found!" line
// per labelled stream and "Done.". The tree is left as it was when no title plays the EVO. A
// playlist over 16 MiB is refused as it is opened. A failure during the scan shows the tags read
// so far.
PlaylistRead readPlaylist(const std::string& path, const std::string& evoName, PlaylistView& view,
                          JobEvents& events);

// Real playlists are under 100 KiB: a file over 16 MiB is refused with an error naming it.
void refuseOversizedPlaylist(const SourceFile& source);

} // namespace splitwick
