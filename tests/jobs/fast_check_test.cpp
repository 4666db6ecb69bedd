// Read EVO with the fast check on a file whose second audio stream starts past the ~300 MB it
// reads: the log says a stream is missing and how to find it, rather than going on silently.
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "engine/evo_scan.h"
#include "job_runs.h"
#include "made_packs.h"
#include "support/test_files.h"

namespace splitwick::testing {
namespace {

const std::string MissingAudio = "Not found in the first ~300 MB: 1 audio stream of those the "
                                 "file announces. Untick Fast EVO checking to scan the whole file.";

//   pack 0     system header: 1 video stream, 2 audio streams
//   pack 1, 2  MPEG-2 video 0xE0, DD+ sub-stream 0xC0
//   a hole of zeros (sparse) up to 310 MiB
//   one pack   DD+ sub-stream 0xC1: the late stream
void writeLateAudio(const std::string& path) {
    writePacks(path, {systemHeaderPack(1, 2), streamPack(0xE0), subStreamPack(0xC0)});
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(310 << 20);
    const Bytes late = subStreamPack(0xC1);
    file.write(reinterpret_cast<const char*>(late.data()), std::streamsize(late.size()));
}

TEST(FastCheck, StreamsPastItsLimitAreSaidToBeMissing) {
    TempFolder dir;
    const std::string evo = dir / "LATE.EVO";
    writeLateAudio(evo);
    for (const bool fastCheck : {true, false}) {
        SCOPED_TRACE(fastCheck);
        WindowRuns rs;
        rs.request.fastCheck = fastCheck;
        chooseEvo(rs, evo);
        const Lines lines = readEvo(rs);
        const bool said = std::find(lines.begin(), lines.end(), MissingAudio) != lines.end();
        EXPECT_EQ(said, fastCheck);
        EXPECT_EQ(rs.read->tracks.first({TrackKind::Audio, 1}) != nullptr, !fastCheck);
    }
}

// All announced streams met within the limit: no such line, also when the scan stopped there.
TEST(FastCheck, NoLineWhenEveryAnnouncedStreamWasMet) {
    TempFolder dir;
    const std::string evo = dir / "EARLY.EVO";
    writePacks(evo, {systemHeaderPack(1, 1), streamPack(0xE0), subStreamPack(0xC0)});
    std::filesystem::resize_file(evo, 310 << 20);
    WindowRuns rs;
    chooseEvo(rs, evo);
    const Lines lines = readEvo(rs);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with("Not found"); }),
              0);
}

} // namespace
} // namespace splitwick::testing
