#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/session.h"
#include "support/recording_session.h"

namespace splitwick::testing {

using Lines = std::vector<std::string>;

// The lines of a, then those of b.
Lines operator+(Lines a, const Lines& b);

// Chooses the EVO as the window does: its path goes into eEVOfile, then evoChosen runs.
void chooseEvo(RecordingSession& rs, const std::string& path);

// Runs a job as its button does and gives the lines it logged.
std::vector<std::string> runJob(RecordingSession& rs, const std::function<void(Session&)>& job);
std::vector<std::string> readEvo(RecordingSession& rs);
std::vector<std::string> demuxInto(RecordingSession& rs, const std::string& workdir);

// The lines a job ends with for these frame counts: one per counter above 0.
std::vector<std::string> frameCountLines(const std::array<int64_t, 2>& frames);

// Read EVO's timing lines, behind its frame counts, for the timing and streams in the state.
std::vector<std::string> timingLines(const JobState& state);

// The same bytes in both files; on a difference, where it begins.
::testing::AssertionResult sameBytes(const std::string& expectedPath,
                                     const std::string& actualPath);

// The expected files whose names begin with prefix, e.g. "FEATURE_1_2.".
std::vector<std::string> withPrefix(const std::vector<std::string>& paths,
                                    const std::string& prefix);

// The output folder holds exactly the expected files (by name), each with the expected bytes.
void expectOutputs(const std::vector<std::string>& expectedFiles, const std::string& outputFolder);

} // namespace splitwick::testing
