#include "wav_files.h"

#include <stdexcept>

namespace splitwick::testing {

namespace {

uint32_t le32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}

} // namespace

void decodeWithFfmpeg(const std::string& path, const std::string& input, int sampleBytes) {
    runCommand("ffmpeg -nostdin -v error -y -i '" + input + "' -map 0:a:0 -c:a pcm_" +
               (sampleBytes == 2 ? "s16le" : "s24le") + " '" + path + "'");
}

std::string probeAudio(const std::string& path) {
    std::string line = runCommand("ffprobe -v error -select_streams a:0 -show_entries "
                                  "stream=codec_name,sample_rate,channels,channel_layout -of "
                                  "csv=p=0 '" +
                                  path + "'");
    while (!line.empty() && line.back() == '\n')
        line.pop_back();
    return line;
}

Bytes wavSamples(const std::string& path) {
    const Bytes wav = readBytes(path);
    if (wav.size() < 12 || std::string(wav.begin(), wav.begin() + 4) != "RIFF")
        throw std::runtime_error(path + " is no RIFF file");
    if (le32(wav, 4) != wav.size() - 8)
        throw std::runtime_error(path + ": the RIFF size does not cover the file");
    if (wav.size() % 2 != 0) throw std::runtime_error(path + " ends on an odd size");
    for (size_t at = 12; at + 8 <= wav.size();
         at += 8 + le32(wav, at + 4) + le32(wav, at + 4) % 2) {
        const size_t size = le32(wav, at + 4);
        if (at + 8 + size > wav.size()) throw std::runtime_error("chunk beyond the file's end");
        if (std::string(wav.begin() + long(at), wav.begin() + long(at) + 4) == "data")
            return Bytes(wav.begin() + long(at) + 8, wav.begin() + long(at + 8 + size));
    }
    throw std::runtime_error(path + " has no data chunk");
}

} // namespace splitwick::testing
