#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs.h"
#include "engine/track.h"

// The recipe level of the test-file maker: streams, size, seed and options in; an EVO file (or
// the two parts of a split title), the exact bytes a Demux must write for it and the frame
// counts a scan must report out. Streams to disk in bounded memory.
namespace splitwick::maker {

struct StreamRecipe {
    Codec codec;
    // The PES stream_id (MPEG-2, H.264, MPEG audio, unknown stream), the stream_id_extension
    // (VC-1) or the private-stream-1 sub-stream id (all others).
    uint8_t id;
    int weight = 1;         // share of the packs, against the other streams' weights
    uint32_t unitBytes = 0; // mean size of a frame or unit; 0: the codec's usual
    uint64_t firstPts = 90000;
    uint32_t ptsStep = 3003; // between one packet of the stream and its next
};

struct Recipe {
    std::vector<StreamRecipe> streams;
    int64_t size = 4 * 1048576; // bytes of the whole title, all parts
    uint64_t seed = 1;
    int parts = 1; // 2: a split title, PATH (ending in "_1.EVO") and its partner "..._2.EVO"

    // System header in the first pack of each part and in every navigation pack.
    bool systemHeader = true;
    std::optional<int> videoBound; // default: the number of video streams
    std::optional<int> audioBound; // default: the number of audio streams
    int navigationEvery = 64;      // a navigation pack every N packs, from the first; 0: none

    // Every packet has a PTS-only header (VC-1 with its extension, each stream's first packet
    // with P-STD fields) unless varyHeaders mixes PTS only, PTS and DTS (video), no timestamps,
    // P-STD fields, header stuffing, and packets that leave room for a padding packet.
    bool varyHeaders = false;
    // PES start-code patterns inside payloads, padding and navigation packets.
    bool startCodeTraps = false;

    // Damage. Garbage of 1 to 2047 bytes after every N-th pack shifts the packs off the 32768
    // byte chunks, so that packets cross chunk boundaries.
    int garbageEvery = 0;
    int zeroLengthEvery = 0;  // every N-th PES packet claims PES_packet_length 0
    int truncateLastPack = 0; // bytes missing from the end of the last pack, below 2048
};

// A table entry as a scan fills it: kind, index within the kind (subpictures 0 to 31) and the
// identifier stored.
struct FoundStream {
    TrackKind kind;
    int index;
    int id;
    bool operator==(const FoundStream&) const = default;
};

struct MadePart {
    std::string path;
    int64_t size = 0;
    // Frames a full scan counts in video stream 0 and 1 (start codes wholly inside one packet's
    // payload).
    std::array<int64_t, 2> frames{};
    // Frame start codes put into the part's video payloads, counted or not.
    std::array<int64_t, 2> startCodes{};
    // Streams in the order a scan meets them, one per table entry.
    std::vector<FoundStream> found;
};

struct MadeEvo {
    std::vector<MadePart> parts;
    // Expected demux outputs, in the expect folder: for each part PART_STEM.CAPTION.EXT (what a
    // Demux of that part alone writes), and for a split title FIRST_STEM_2.CAPTION.EXT (what
    // a Demux continuing over both parts writes). Subpictures also get .pts files.
    std::vector<std::string> expectedFiles;
};

// Writes the EVO (parts) for the recipe at path and, when expectFolder is not empty, the
// expected outputs into that existing folder. Throws std::invalid_argument for a recipe it
// cannot make and std::runtime_error when a file cannot be written.
MadeEvo makeEvo(const Recipe& recipe, const std::string& path,
                const std::string& expectFolder = "");

// The partner of a split title's first part: ".../NAME_1.EVO" gives ".../NAME_2.EVO".
std::string secondPartPath(const std::string& firstPart);

} // namespace splitwick::maker
