#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace splitwick::testing {

// A fresh folder under the system's temporary folder, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    // The folder itself, without a trailing "/".
    const std::string& path() const { return path_; }
    // A path in the folder.
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

using Bytes = std::vector<uint8_t>;

Bytes readBytes(const std::string& path);
void writeBytes(const std::string& path, const Bytes& bytes);
std::string readText(const std::string& path);
// The names of the entries of a folder, sorted.
std::vector<std::string> fileNamesIn(const std::string& folder);

// The file descriptors this process holds open: a job that left a file open holds one more.
size_t openFileDescriptors();

// Runs a shell command and gives its stdout; throws std::runtime_error when it fails.
std::string runCommand(const std::string& command);
// The same as lines.
std::vector<std::string> outputLines(const std::string& command);

// The MD5 of each frame ffmpeg reads with these input arguments ("-i FILE -map 0:a:0"):
// decoded, or as stored with codec "-c copy".
std::vector<std::string> frameHashes(const std::string& input, const std::string& codec = "");

// Makes a DVD-style program stream with ffmpeg: "ffmpeg -v error -y ARGUMENTS -f dvd PATH".
void makeWithFfmpeg(const std::string& arguments, const std::string& path);

// A file made with ffmpeg once per test program, on first use, by its name:
// "DD.EVO": MPEG-2 video 0xE0 and DD audio 0x80, 2 seconds;
// "DTS.EVO": MPEG-2 video 0xE0 and two DTS audio streams 0x88 and 0x89, 2 seconds;
// "LPCM_16_STEREO_48K.EVO", "LPCM_24_5.1_48K.EVO", "LPCM_24_STEREO_96K.EVO",
// "LPCM_24_MONO_96K.EVO": one LPCM stream 0xA0 of that format, a quarter of a second.
// Throws when ffmpeg fails, which fails the test that asked.
const std::string& ffmpegMade(const std::string& name);

// ffprobe's "codec_name,id" line for each stream of the file, e.g. "dts,0x88".
std::vector<std::string> probeStreams(const std::string& path);

} // namespace splitwick::testing
