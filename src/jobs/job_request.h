#pragma once
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "engine/track.h"
#include "playlist/playlist.h"

namespace splitwick {

// FLAC's compression levels, from the fastest to the smallest.
constexpr int DefaultFlacLevel = 5;
constexpr int MaxFlacLevel = 12;

// A clip of a disc's title: its EVO, and where the playlist places it on the title's timeline.
struct ClipFile {
    std::string path;
    int64_t beginNs = 0;
};

// A disc's title chosen whole: its clips that are there, in their order, the name its outputs
// take, and what its playlist says of it.
struct DiscTitleInput {
    std::vector<ClipFile> clips;
    std::string name;
    TitleInfo info;
};

// Which tracks a job takes. Neither names nor languages: every track the title has (with a
// playlist, every stream its title names).
struct TrackChoice {
    std::optional<std::vector<TrackName>> names;
    // ISO 639-2 codes: the audio and subtitle tracks of these languages, and every video track.
    std::vector<std::string> languages;
};

// What the window's Read EVO and Read XPL found before the job: the job then reports no reads of
// its own, makes the files of the tracks the scan found before its pass, and labels the streams
// as the window shows them.
struct EarlierReads {
    std::optional<TrackList> scan;        // none after a Read XPL, which forgets the scan
    std::optional<PlaylistRead> playlist; // the last Read XPL's: its title, and its labels
    bool labelledByPlaylist = false;      // Read XPL labelled the streams last, not Read EVO
};

// What a job writes from the streams: their files (and the .mkv), or a rebuilt EVO.
enum class Writes { Streams, Rebuilt };

// What a job is asked to do, taken from the window or the command line as the job starts: a
// tick changed while it runs counts from the next job on.
struct JobRequest {
    std::string evoPath;
    std::string playlistPath; // empty: none
    // Read whole instead of the EVO alone; its first clip is evoPath.
    std::optional<DiscTitleInput> discTitle;
    std::optional<EarlierReads> earlier;
    TrackChoice choice;
    Writes writes = Writes::Streams;

    std::string outputFolder; // empty: the current folder
    // The extensions of video, audio and subpicture outputs, by TrackKind, unless named by codec.
    std::array<std::string, 3> extensions{"mpv", "mpa", "sup"};
    bool fastCheck = true;     // Read EVO ends after the first 300 MB
    bool countFrames = true;   // frame start codes are counted in video streams 0 and 1
    bool continueParts = true; // a split title's NAME_1.EVO goes on into its NAME_2.EVO
    bool lpcmWav = false;      // LPCM streams are written as WAV files
    bool extensionsByCodec = false;
    bool subPgs = false;      // subpicture streams are converted to PGS
    bool mkv = false;         // the streams go into OUTPUTPREFIX.mkv
    bool keepStreams = false; // with the .mkv, every stream gets its file too
    bool clusterCrc = false;  // the .mkv's clusters each carry a CRC-32 of their content
    bool mkvThread = true;    // the .mkv's frames are cut and written on a thread of their own
    bool lpcmFlac = false;    // the .mkv takes LPCM as FLAC
    int flacLevel = DefaultFlacLevel;
    bool dtsCore = false; // the .mkv takes each DTS-HD track's core as a track of its own

    const std::string& extension(TrackKind kind) const {
        return extensions[static_cast<size_t>(kind)];
    }
};

} // namespace splitwick
