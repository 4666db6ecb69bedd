#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "engine/plain_controls.h"
#include "engine/session.h"
#include "playlist/playlist_view.h"

namespace splitwick::cli {

// {"log":[...],"streams":[{"box":"cbAudio00","caption":"DD+.stream.00","id":192}],
//  "frames":[n0,n1],"cancelled":false}: every enabled box in box order with its caption and its
// stream-table entry.
std::string summaryJson(const Session& session, const std::vector<std::string>& log);

// {"log":[...],"memo":[...],"tree":{"Info":[...],"Video":[...],"Audio":[...],"Subtitle":[...],
//  "Chapter":[...]},"boxes":[{"box":"cbAudio00","caption":"...","hint":"..."}],
//  "title_found":true}: the boxes are those the playlist enabled, in box order.
// Written as it goes, since the memo may be large.
void writePlaylistJson(std::ostream& out, const PlainControls& controls,
                       const PlainPlaylistView& view, const std::vector<std::string>& log,
                       bool titleFound);

} // namespace splitwick::cli
