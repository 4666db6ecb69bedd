#pragma once
#include <optional>
#include <string>

#include "engine/stream_codecs.h"
#include "engine/stream_timing.h"

namespace splitwick {

// A track's codec as a Matroska file takes it.
enum class MuxCodec { Mpeg2, H264, Vc1, Ac3, Eac3, Dts, TrueHd, LpcmWav, Flac, Pgs };

// "H.264", "E-AC-3", "LPCM", ...: the codec as messages and summaries name it.
std::string codecName(MuxCodec codec);

// The extension of the codec's raw stream file: "m2v", "eac3", "thd", "pcm" (LPCM samples as
// the disc stores them), ...
std::string codecExtension(MuxCodec codec);

// The Matroska form of a stream's codec: LPCM as WAV samples, subpictures as PGS display sets;
// none for MPEG audio, which HD DVD does not carry.
std::optional<MuxCodec> muxCodecOf(Codec codec);

// Raw H.264 and VC-1 streams need not carry their frame rate, and what they carry may count
// fields: the rate measured from the stream's timestamps is the one the disc plays at. MPEG-2's
// sequence header always carries the rate, and its pictures' repeat flags (pulldown) give each
// frame its length: a forced default duration would undo that.
bool takesMeasuredRate(MuxCodec codec);

// The log line for a video track that would take the measured rate but was measured at none a
// disc plays (repeated or erratic timestamps): its stream's own timing stands. Empty when there
// is none.
std::string ownTimingLine(MuxCodec codec, const FrameRate& measured);

} // namespace splitwick
