#include "test_files.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace splitwick::testing {

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "splitwick-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

Bytes readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readText(const std::string& path) {
    const Bytes bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

size_t openFileDescriptors() {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

std::vector<std::string> fileNamesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string runCommand(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(command.c_str(), "r"), ::pclose);
    if (!pipe) throw std::runtime_error("cannot run " + command);
    std::string output;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe.get())) > 0)
        output.append(chunk, n);
    if (::pclose(pipe.release()) != 0) throw std::runtime_error("failed: " + command);
    return output;
}

std::vector<std::string> outputLines(const std::string& command) {
    std::istringstream output(runCommand(command));
    std::vector<std::string> lines;
    for (std::string line; std::getline(output, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> frameHashes(const std::string& input, const std::string& codec) {
    std::vector<std::string> hashes;
    for (const std::string& line :
         outputLines("ffmpeg -nostdin -v error " + input + " " + codec + " -f framemd5 -")) {
        if (line.empty() || line[0] == '#') continue;
        hashes.push_back(line.substr(line.rfind(' ') + 1));
    }
    return hashes;
}

void makeWithFfmpeg(const std::string& arguments, const std::string& path) {
    runCommand("ffmpeg -nostdin -v error -y " + arguments + " -f dvd '" + path + "'");
}

namespace {

// A quarter of a second of a tone of its own in each channel, so that a channel out of place
// shows, as ffmpeg's pcm_dvd encoder stores it: 16 bits, or 24 bits from sample format s32.
std::string lpcmTones(const std::string& layout, int channels, int rate, int bits) {
    std::string tones;
    for (int c = 0; c < channels; ++c)
        tones += (c > 0 ? "|sin(" : "sin(") + std::to_string(300 + 110 * c) + "*2*PI*t)*0.8";
    return "-f lavfi -i 'aevalsrc=" + tones + ":c=" + layout + ":s=" + std::to_string(rate) +
           ":d=0.25' -c:a pcm_dvd -sample_fmt " + (bits == 16 ? "s16" : "s32");
}

} // namespace

const std::string& ffmpegMade(const std::string& name) {
    const std::string sine = "-f lavfi -i sine=frequency=440:sample_rate=48000 ";
    const std::string picture = "-f lavfi -i testsrc=size=320x240:rate=25 ";
    const std::string mpeg2 = "-c:v mpeg2video -b:v 2M -t 2 ";
    static const std::map<std::string, std::string> Recipes = {
        {"DD.EVO", picture + sine + mpeg2 + "-c:a ac3 -b:a 192k"},
        {"DTS.EVO", picture + sine + sine + mpeg2 + "-map 0 -map 1 -map 2 -c:a dca -strict -2"},
        {"LPCM_16_STEREO_48K.EVO", lpcmTones("stereo", 2, 48000, 16)},
        {"LPCM_24_5.1_48K.EVO", lpcmTones("5.1(side)", 6, 48000, 24)},
        {"LPCM_24_STEREO_96K.EVO", lpcmTones("stereo", 2, 96000, 24)},
        {"LPCM_24_MONO_96K.EVO", lpcmTones("mono", 1, 96000, 24)},
    };
    static TempFolder files;
    static std::map<std::string, std::string> made;
    if (!made.count(name)) {
        makeWithFfmpeg(Recipes.at(name), files / name);
        made[name] = files / name;
    }
    return made.at(name);
}

std::vector<std::string> probeStreams(const std::string& path) {
    std::istringstream lines(runCommand(
        "ffprobe -v error -show_entries stream=codec_name,id -of csv=p=0 '" + path + "'"));
    std::vector<std::string> streams;
    for (std::string line; std::getline(lines, line);) {
        // Side data of a stream follows it as a line of its own: only "codec,id" lines count.
        while (!line.empty() && line.back() == ',')
            line.pop_back();
        if (line.find(',') != std::string::npos) streams.push_back(line);
    }
    return streams;
}

} // namespace splitwick::testing
