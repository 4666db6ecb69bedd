#pragma once
// What the one-pass targets share: a title made from the input, run both ways, which must give
// the same outcome (departure() in tests/jobs/one_pass_runs.h says what may differ after a
// failure).
//
// Input: a flags byte, then the EVO.
//   bit 0      a split title: the EVO's first half is NAME_1.EVO, the rest NAME_2.EVO
//   bit 1      go on into the second part
//   bits 2-3   the streams asked for: every one the read enables; video0, audio00 and sub00;
//              audio01 alone; none
#include <filesystem>

#include "fuzz_check.h"
#include "one_pass_runs.h"

namespace splitwick::fuzz {

// `ask` gives the options; the flags give the rest. Cancel, when asked, is pressed as soon as a
// pass that writes output lets events through.
inline void checkOnePass(const uint8_t* data, size_t size, testing::Ask ask, bool cancel) {
    namespace fs = std::filesystem;
    using namespace splitwick::testing;
    static const std::optional<std::vector<Box>> Asks[] = {
        std::nullopt,
        std::vector<Box>{{BoxKind::Video, 0}, {BoxKind::Audio, 0}, {BoxKind::Subpicture, 0}},
        std::vector<Box>{{BoxKind::Audio, 1}},
        std::vector<Box>{},
    };
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
    ask.boxes = Asks[(flags >> 2) & 3];
    ask.continueSplit = (flags & 2) != 0;
    Runs runs(disc / "FEATURE_1.EVO", ask);
    if (cancel) runs.cancelWhileWriting();
    for (Job job : {Job::Demux, Job::Rebuild}) {
        const Outcome twoSteps = runs.twoSteps(job);
        const Outcome onePass = runs.onePass(job);
        const std::string departure = testing::departure(twoSteps, onePass);
        require(departure.empty(), std::string(job == Job::Demux ? "demux" : "rebuild") + ": " +
                                       departure + "\ntwo steps:\n" + describe(twoSteps) +
                                       "one pass:\n" + describe(onePass));
    }
}

} // namespace splitwick::fuzz
