#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "stream_table.h"
#include "stream_timing.h"

namespace splitwick {

// A pass reads its source in chunks of this size.
constexpr size_t BufferSize = 32768;
constexpr int64_t MiB = 1048576;
// A pass over a file shows its progress each time its position reaches a multiple of this.
constexpr int64_t ProgressStep = 4 * MiB;

// A clip of a disc's title: its EVO, and where the playlist places it on the title's
// timeline, in ns.
struct TitleClipFile {
    std::string path;
    int64_t beginNs = 0;
};

// What the commands share from one to the next. Each job owns the files it reads and writes;
// here is only what outlives a job: the streams the last scan found (the rebuild looks them
// up), the frames the last job counted and the timing its scans found, and the chosen file
// names. Commands run one at a time; nothing here is locked.
struct JobState {
    StreamTable streamTable;
    std::array<int64_t, 2> frameCount{};
    TitleTiming timing;
    // The packs the last Read EVO found scrambled (encrypted); a job that writes stops at one.
    int64_t scrambledPacks = 0;

    std::string evoFolder; // folder of the chosen EVO, with its trailing "/"
    std::string evoFile;   // its name without folder
    std::string evoName;   // evoFile less its last four characters: the stem of every output
    std::string playlistFolder;
    std::string playlistFile;
    // A disc's title chosen to be read whole: its clips that are there, in their order, the
    // chosen EVO's first, and the name its outputs take. Both empty for an EVO alone (or a
    // split title's NAME_1.EVO with its NAME_2.EVO); choosing another EVO empties them.
    std::vector<TitleClipFile> titleClips;
    std::string titleName;
};

} // namespace splitwick
