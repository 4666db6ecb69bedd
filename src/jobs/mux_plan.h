#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/boxes.h"
#include "engine/stream_timing.h"
#include "playlist/title_chapters.h"

namespace splitwick {

// What a stream file holds, as the muxer has to be told or can be trusted to find.
enum class MuxCodec { Mpeg2, H264, Vc1, Ac3, Eac3, Dts, TrueHd, LpcmWav, Pgs };

// "H.264", "E-AC-3", "LPCM", ...: the codec as messages and summaries name it.
std::string codecName(MuxCodec codec);

// The extension of the codec's raw stream file: "m2v", "eac3", "thd", "pcm" (LPCM samples as
// the disc stores them), ...
std::string codecExtension(MuxCodec codec);

// The codec of a box's stream file: from the stream identifier a scan stored for the box when
// it is one (Read XPL leaves only marks in the stream table), else from the codec that begins
// the stream's label ("DD+.stream.00", "DTS-HD.6ch.stream.01.English"). None for a subpicture
// box, which no Matroska track can take as it is (its PGS file can), and for a stream of no
// known codec. LPCM streams are muxed from their WAV files.
std::optional<MuxCodec> muxCodec(Box box, const std::string& label, int32_t streamId);

// One stream of the Matroska file: one track.
struct MuxTrack {
    Box box;
    MuxCodec codec;
    TrackLabel label;
    int64_t delayMs = 0; // the stream's start against the picture's; negative when earlier
    // Video only: the rate the stream was measured at.
    std::optional<FrameRate> frameRate;
};

// The whole Matroska file.
struct MuxPlan {
    std::string output;           // STEM.mkv, the name it gets once it is complete
    std::string title;            // the segment title; empty for none
    std::vector<MuxTrack> tracks; // in box order
    // The box of the audio stream the playlist lists first; none without a playlist.
    std::optional<Box> playlistFirstAudio;
};

// Raw H.264 and VC-1 streams need not carry their frame rate, and what they carry may count
// fields: the rate measured from the stream's timestamps is the one the disc plays at. MPEG-2's
// sequence header always carries the rate, and its pictures' repeat flags (pulldown) give each
// frame its length: a forced default duration would undo that.
bool takesMeasuredRate(MuxCodec codec);

// The log line for a video track that would take the measured rate but was measured at none a
// disc plays (repeated or erratic timestamps): its stream's own timing stands. Empty when
// there is none.
std::string ownTimingLine(const MuxPlan& plan);

// The track that plays by default among the audio tracks: that of the playlist's first audio
// stream when it is muxed, else the first audio track. None without audio.
std::optional<size_t> defaultAudioTrack(const MuxPlan& plan);

} // namespace splitwick
