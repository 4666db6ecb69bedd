#include "program_stream_check.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <vector>

#include "job_error.h"

namespace splitwick {

namespace {

constexpr size_t LookedAt = 64 * 1024;

} // namespace

void requireProgramStream(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<char> start(LookedAt);
    in.read(start.data(), std::streamsize(start.size()));
    start.resize(size_t(in.gcount()));
    constexpr std::array<char, 4> PackStart = {0x00, 0x00, 0x01, char(0xBA)};
    if (std::search(start.begin(), start.end(), PackStart.begin(), PackStart.end()) != start.end())
        return;
    throw JobError(JobErrorKind::Input,
                   "\"" + fullPath(path) +
                       "\" is not an HD DVD video file (no MPEG program stream pack header in "
                       "its first 64 KiB)");
}

} // namespace splitwick
