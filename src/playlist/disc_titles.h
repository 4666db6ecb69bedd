#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "title_info.h"

namespace splitwick {

// A clip of a disc's title: the EVO beside its .MAP in the disc's HVDVD_TS folder.
struct DiscClip {
    std::string evo;  // from the disc's folder: "HVDVD_TS/PEVOB_1.EVO"
    std::string path; // the disc's folder joined with evo
    int64_t beginMs = 0, endMs = 0;
    bool present = false; // whether the EVO is a file
};

// A stream of a disc's title with what the playlist's attribute item says of it.
struct DiscTrack {
    TitleTrack track;
    std::string codec;    // "DD+", "VC-1"; empty when it names no item or the item no codec
    std::string channels; // the item's channels; empty when not given
};

struct DiscTitle {
    std::string playlist; // "VPLST000.XPL"
    std::string playlistPath;
    TitleInfo info;
    std::vector<DiscClip> clips;
    std::vector<DiscTrack> video, audio;
    bool main = false;

    // The clips' spans added up: what the title plays.
    int64_t playedMs() const;
    // The title's titleDuration, else what it plays.
    int64_t durationMs() const { return info.durationMs.value_or(playedMs()); }
};

// "1:42:56": a time in ms, the seconds cut.
std::string clockText(int64_t ms);

// "2) Main Feature  1:42:56  29 chapters  PEVOB_1 + PEVOB_2  [main]": the title's number,
// name, duration (the seconds cut), chapters and clips ("PEVOB_2 (missing)" when its EVO is not
// there), and whether it is the main title.
std::string titleSummary(const DiscTitle& title);

// The titles of a disc that play a clip, from every ADV_OBJ/VPLST*.XPL in name order (the
// FirstPlayTitle and titles of no clip left out); a title that plays the clips of one in a
// playlist before its own, in the same order (a language copy of that playlist), is left out too.
// One is the main title: among those with audio (among all when none has any), the one that plays
// longest; ties go to more chapters, then more tracks, then to the first.
struct Disc {
    std::string folder; // holding ADV_OBJ/ and HVDVD_TS/, with its "/"
    std::vector<DiscTitle> titles;

    const DiscTitle* mainTitle() const;
    // The title of this number in this playlist (the main title's playlist when empty).
    const DiscTitle* title(int number, const std::string& playlist) const;
};

// Reads the disc at this path: its folder, its ADV_OBJ or HVDVD_TS folder, or one playlist
// file (then that one alone is read). Throws JobError naming the path when it holds no playlist,
// and naming the playlist when it cannot be read.
Disc readDisc(const std::string& path);

// Whether a path names a disc rather than an EVO: a folder, or a playlist file (.XPL).
bool isDiscPath(const std::string& path);

} // namespace splitwick
