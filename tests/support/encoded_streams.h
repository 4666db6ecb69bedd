#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "evo_maker/es_evo.h"

namespace splitwick::testing {

// Elementary streams that ffmpeg's encoders make, three seconds each, with the unit lists the
// test-file maker cuts them by. Each is made once per build, on first use, into the build's
// folder "encoded-streams"; test programs running side by side wait for each other's.
enum class Encoded {
    H264At24000_1001, // libx264, 640x360, two B-frames, open GOPs of 12, access unit delimiters
    H264At25,         // the same at 25 frames a second
    Mpeg2At25,        // 640x360, two B-frames, GOPs of 12
    Mpeg2Long,        // 4000 pictures at 24000/1001 (166.8 s), 160x96, two B-frames, GOPs of 12
    Ac3,              // 48 kHz stereo, 192 kbit/s
    Ac3Long,          // 167 s of it at 96 kbit/s
    Eac3,             // 48 kHz stereo, 192 kbit/s
    Dts,              // DTS core, 48 kHz stereo
    TrueHd,           // 48 kHz stereo
    Lpcm16Stereo,     // 48 kHz, 16-bit big-endian samples: DVD LPCM, a tone of its own a channel
    // Real encoders' streams from tests/data (see SOURCES.md there), copied as they are:
    Eac3Dolby,  // E-AC-3 5.1 from a Dolby encoder, 36 frames
    TrueHdReal, // TrueHD stereo
    DtsHdMa,    // DTS-HD Master Audio 7.1, 24 bit, 94 frames
};

struct EncodedStream {
    maker::Codec codec;
    std::string es;    // the elementary stream
    std::string units; // its unit list; empty for LPCM
};

// Writes the unit list of the packets that ffmpeg's framecrc muxer listed in the file.
void writeUnitList(const std::string& framecrc, const std::string& units);

// Makes the stream when the cache lacks it. Throws when ffmpeg fails.
const EncodedStream& encoded(Encoded which);

// A stream of a title made of encoded streams, and its start against the picture's.
struct TitleStream {
    Encoded input;
    int64_t startMs = 0;
};

struct EncodedTitle {
    std::vector<TitleStream> streams; // ids as splitwick-make-evo gives them by default
    uint64_t ptsBase = 90000;
    int parts = 1;
};

// The maker's recipe for the title, and the title made at path (NAME_1.EVO for two parts).
maker::EsRecipe recipeOf(const EncodedTitle& title);
maker::MadeEsEvo makeEncodedEvo(const EncodedTitle& title, const std::string& path,
                                const std::string& expectFolder = "");

// A title of two parts made as a disc's two layers: folder/FIRST.EVO and folder/SECOND.EVO (as
// L0_mainMovie and L1_mainMovie), cut at a VOBU; the expected data go to expectFolder.
maker::MadeEsEvo makeLayeredTitle(EncodedTitle title, const std::string& folder,
                                  const std::string& first, const std::string& second,
                                  const std::string& expectFolder);

} // namespace splitwick::testing
