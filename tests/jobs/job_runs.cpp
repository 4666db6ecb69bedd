#include "job_runs.h"

#include <algorithm>

#include "jobs/file_choice.h"
#include "jobs/read_evo.h"
#include "jobs/stream_jobs.h"
#include "jobs/timing_lines.h"
#include "support/test_files.h"

namespace splitwick::testing {

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

void chooseEvo(RecordingSession& rs, const std::string& path) {
    rs.session.request.evoPath = path;
    evoChosen(rs.session);
}

std::vector<std::string> runJob(RecordingSession& rs, const std::function<void(Session&)>& job) {
    const size_t before = rs.report.lines.size();
    job(rs.session);
    return {rs.report.lines.begin() + long(before), rs.report.lines.end()};
}

std::vector<std::string> readEvo(RecordingSession& rs) {
    return runJob(rs, [](Session& session) { splitwick::readEvo(session); });
}

std::vector<std::string> demuxInto(RecordingSession& rs, const std::string& workdir) {
    rs.session.request.outputFolder = workdir;
    return runJob(rs, [](Session& session) { demux(session, afterReads(session.streams)); });
}

std::vector<std::string> frameCountLines(const std::array<int64_t, 2>& frames) {
    std::vector<std::string> lines;
    for (int i = 0; i < 2; ++i)
        if (frames[i] > 0)
            lines.push_back(std::to_string(frames[i]) + " frames count in video stream " +
                            std::to_string(i) + ".");
    return lines;
}

std::vector<std::string> timingLines(const JobState& state) {
    RecordingReport report;
    logTiming(report, state.timing, state.streamTable);
    return report.lines;
}

::testing::AssertionResult sameBytes(const std::string& expectedPath,
                                     const std::string& actualPath) {
    const Bytes expected = readBytes(expectedPath);
    const Bytes actual = readBytes(actualPath);
    if (expected == actual) return ::testing::AssertionSuccess();
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    return ::testing::AssertionFailure()
           << actualPath << " has " << actual.size() << " bytes, " << expected.size()
           << " expected; they differ from byte " << (mismatch.first - expected.begin());
}

std::vector<std::string> withPrefix(const std::vector<std::string>& paths,
                                    const std::string& prefix) {
    std::vector<std::string> chosen;
    for (const std::string& path : paths) {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name.rfind(prefix, 0) == 0) chosen.push_back(path);
    }
    return chosen;
}

void expectOutputs(const std::vector<std::string>& expectedFiles, const std::string& outputFolder) {
    std::vector<std::string> names;
    for (const std::string& path : expectedFiles) {
        const std::string name = path.substr(path.rfind('/') + 1);
        names.push_back(name);
        EXPECT_TRUE(sameBytes(path, outputFolder + "/" + name));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(fileNamesIn(outputFolder), names);
}

} // namespace splitwick::testing
