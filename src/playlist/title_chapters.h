#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace splitwick {

struct ChapterMark {
    int64_t startNs;  // from the start of the outputs
    std::string name; // UTF-8; may be empty
    bool operator==(const ChapterMark&) const = default;
};

// A title's chapters as a demux writes them beside its outputs.
struct TitleChapters {
    std::string language = "und"; // of the names, ISO 639-2
    std::vector<ChapterMark> marks;
};

// How the playlist labels a track: in the Matroska file, its language, kind and name.
struct TrackLabel {
    std::string language = "und"; // ISO 639-2
    // As the playlist gives it: "normal", "commentary", "visually-impaired",
    // "hearing-impaired", "forced", ...; empty when it gives none.
    std::string kind;
    std::string name; // may be empty
};

} // namespace splitwick
