// splitwick-cli's demux and rebuild in one pass against the reads and the job one after another,
// on a file made from the input: whatever the bytes, the same files, lines, frame counts and
// boxes (departure() in tests/jobs/one_pass_runs.h says what may differ after a failure).
//
// Input: a flags byte, then the EVO.
//   bit 0      a split title: the EVO's first half is NAME_1.EVO, the rest NAME_2.EVO
//   bit 1      go on into the second part
//   bits 2-3   the streams asked for: every one the read enables; video0, audio00 and sub00;
//              audio01 alone; none
#include <filesystem>

#include "fuzz_check.h"
#include "one_pass_runs.h"

namespace fs = std::filesystem;
using namespace splitwick;
using namespace splitwick::testing;
using splitwick::fuzz::require;

namespace {

const std::optional<std::vector<Box>> Asks[] = {
    std::nullopt,
    std::vector<Box>{{BoxKind::Video, 0}, {BoxKind::Audio, 0}, {BoxKind::Subpicture, 0}},
    std::vector<Box>{{BoxKind::Audio, 1}},
    std::vector<Box>{},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempFolder disc;
    const uint8_t flags = size > 0 ? data[0] : 0;
    const Bytes evo(data + std::min<size_t>(size, 1), data + size);
    fs::remove(disc / "FEATURE_2.EVO");
    if (flags & 1) {
        const auto half = evo.begin() + long(evo.size() / 2);
        writeBytes(disc / "FEATURE_1.EVO", Bytes(evo.begin(), half));
        writeBytes(disc / "FEATURE_2.EVO", Bytes(half, evo.end()));
    } else {
        writeBytes(disc / "FEATURE_1.EVO", evo);
    }
    Runs runs(disc / "FEATURE_1.EVO", {Asks[(flags >> 2) & 3], "", (flags & 2) != 0});
    for (Job job : {Job::Demux, Job::Rebuild}) {
        const Outcome twoSteps = runs.twoSteps(job);
        const Outcome onePass = runs.onePass(job);
        const std::string departure = splitwick::testing::departure(twoSteps, onePass);
        require(departure.empty(), std::string(job == Job::Demux ? "demux" : "rebuild") + ": " +
                                       departure + "\ntwo steps:\n" + describe(twoSteps) +
                                       "one pass:\n" + describe(onePass));
    }
    return 0;
}
