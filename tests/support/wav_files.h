#pragma once
#include <string>

#include "test_files.h"

namespace splitwick::testing {

// ffmpeg's own decode of the file's first audio stream, as a WAV file of samples of that many
// bytes.
void decodeWithFfmpeg(const std::string& path, const std::string& input, int sampleBytes);

// ffprobe's view of the file's first audio stream, e.g. "pcm_s24le,48000,6,5.1".
std::string probeAudio(const std::string& path);

// The samples of a RIFF WAV file: its data chunk, found by walking the chunks. Throws when the
// RIFF size does not account for the whole file, or the file does not end on an even size (a
// chunk of odd size is followed by a pad byte).
Bytes wavSamples(const std::string& path);

} // namespace splitwick::testing
