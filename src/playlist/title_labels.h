#pragma once
#include "engine/session.h"
#include "playlist.h"
#include "playlist_view.h"
#include "title_model.h"

namespace splitwick {

// Each stream the title's model labels is marked in the stream table, listed in the model's tree,
// logged with " found!" and labels its box (only the first video track has one).
void labelTitle(Session& session, const Playlist& playlist, TitleModel& model);

} // namespace splitwick
