#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/track.h"

namespace splitwick {

struct TrackPlan;

// What decides which tracks of a .mkv play by default: the language chosen first (ISO 639-2;
// empty for none) and the playlist's first audio stream, the one a player starts with.
struct DefaultTracks {
    std::string language;
    std::optional<TrackName> firstAudio;
};

// Sets the default and forced flags of a .mkv's tracks, given in the file's order. The first
// video track plays by default. So does one audio track: the playlist's first audio stream when
// it is of the default language, else the first audio track of that language, else the
// playlist's first (else the first audio track). Subtitle tracks the playlist marks forced get
// the forced flag; the first of them in the default audio's language plays by default, no
// other subtitle does.
void setTrackFlags(const std::vector<TrackPlan*>& tracks, const DefaultTracks& defaults);

} // namespace splitwick
