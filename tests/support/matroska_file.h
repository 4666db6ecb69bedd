#pragma once
#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "encoded_streams.h"

namespace splitwick::testing {

// A track of a Matroska file as mkvmerge -J identifies it.
struct MkvTrack {
    std::string codecId; // "A_EAC3"
    std::string language;
    std::string name; // "" for none
    bool isDefault = false, commentary = false, visuallyImpaired = false, hearingImpaired = false,
         forced = false;
    bool operator==(const MkvTrack&) const = default;
};
std::ostream& operator<<(std::ostream& out, const MkvTrack& track);

struct MkvFile {
    std::string title;
    int chapters = 0; // of its first edition
    std::vector<MkvTrack> tracks;
    int64_t videoDefaultDurationNs = 0; // of the first track
};

MkvFile identifyMkv(const std::string& path);

// The path in single quotes, for a shell command.
std::string inQuotes(const std::string& path);

// ffprobe's start time of each stream of the file, in milliseconds.
std::vector<double> startTimesMs(const std::string& path);

// The times ffprobe gives the packets of a track ("v:0"), in ms, in the order they are stored.
std::vector<double> packetTimesMs(const std::string& mkv, const std::string& track);

// What ffmpeg says decoding every stream of the file: empty when it decodes without an error.
std::string decodingErrors(const std::string& mkv);

// ffmpeg's input arguments for one stream of the file ("0:a:1"), and for an encoded stream read
// in its raw format ("eac3").
std::string fromMkv(const std::string& mkv, const std::string& map);
std::string elementary(const char* format, Encoded input);

} // namespace splitwick::testing
