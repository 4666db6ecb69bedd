#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "codecs.h"
#include "engine/lpcm_format.h"
#include "engine/track.h"
#include "evo_maker.h"

// The elementary-stream level of the test-file maker: real streams (from ffmpeg's encoders, say)
// with their unit lists in; an EVO laid out as an HD DVD muxer lays it out, with the
// timestamps each stream's start asks for, and the timing a reader must find in it.
namespace splitwick::maker {

// A timestamp that the packet where one unit begins carries off its true time, as damage leaves
// it; the packets are laid out by the true times all the same.
struct StampError {
    size_t unit;   // in the unit list's order
    int64_t ticks; // added to the PTS, or to the DTS
    bool dts = false;
};

struct EsStream {
    Codec codec; // Mpeg2, H264, Vc1, DD, DDPlus, DtsHd, Mlp, Lpcm or Subpicture
    uint8_t id;  // the PES stream_id (video; VC-1: its stream_id_extension) or private-stream-1
                 // sub-stream id (audio, subpictures)
    std::string es;
    // The unit list (see unit_list.h); not for LPCM, whose units are fixed, nor for VC-1, whose
    // units are found in the stream when it is empty.
    std::string units;
    // The PTS of the stream's first presented unit less that of video stream 0's first
    // presented frame, in 90 kHz ticks: below 0 when the stream starts before the picture.
    int64_t start = 0;
    LpcmFormat lpcm{16, 48000, 2}; // LPCM only: how the samples are coded
    bool timestamps = true;        // false: its packets carry no PTS or DTS
    std::vector<StampError> stampErrors = {};
};

// Every packet whose unit is decoded `from` ticks or more after video stream 0's first presented
// frame carries timestamps `ticks` later (wrapped to 33 bits): a clock that restarts mid-title,
// as where two recordings were joined.
struct PtsJump {
    int64_t from = 0;
    int64_t ticks = 0;
};

struct EsRecipe {
    std::vector<EsStream> streams; // one of them video stream 0
    uint64_t ptsBase = 90000;      // PTS of video stream 0's first presented frame, 33 bits
    int parts = 1; // 2: a split title, cut at the video unit nearest its middle that starts a VOBU
    std::optional<PtsJump> ptsJump;
};

// What a reader must find in one part of the title, for each stream of the recipe.
struct StreamTiming {
    TrackName box;
    std::optional<uint64_t> firstPts; // the first PTS the stream's packets carry, 33 bits
    std::optional<int64_t> delayMs;   // firstPts less the part's reference, rounded to the ms
    int64_t esBegin = 0, esEnd = 0;   // the stream's bytes the part carries
};

struct PartTiming {
    // The smallest PTS among the packets of video stream 0 whose units are decoded within one
    // second of its first: the first presented frame.
    std::optional<uint64_t> referencePts;
    std::optional<uint64_t> lastVideoPts; // the largest PTS of video stream 0 in the part
    std::vector<StreamTiming> streams;    // in recipe order
};

struct MadeEsEvo {
    MadeEvo evo; // as makeEvo gives it, less the start codes put in, which are the streams' own
    std::string videoFrameRate; // of video stream 0: "24000/1001", "25"
    std::vector<PartTiming> parts;
    std::string expectedData; // the file of all of this beside the EVO (see the tool's --help)
};

// Writes the EVO (parts) for the recipe at path, its expected data beside it (STEM.expected.json)
// and, when expectFolder is not empty, the outputs a Demux writes, as makeEvo does. Throws
// std::invalid_argument for a recipe it cannot make and std::runtime_error when a file cannot be
// read or written.
MadeEsEvo makeEsEvo(const EsRecipe& recipe, const std::string& path,
                    const std::string& expectFolder = "");

// The codecs of elementary streams by the names ffmpeg gives their raw formats: "mpeg2",
// "h264", "vc1", "ac3", "eac3", "dts", "truehd", "lpcm"; and "spu".
std::optional<Codec> esCodecNamed(const std::string& name);
std::string esCodecName(Codec codec);
// The codec's first stream id whose box no stream of the list has yet.
uint8_t nextFreeId(Codec codec, const std::vector<EsStream>& streams);

} // namespace splitwick::maker
