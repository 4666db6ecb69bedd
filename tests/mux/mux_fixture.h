#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/mux_plan.h"
#include "mux/mux_runner.h"
#include "support/encoded_streams.h"
#include "support/recording_session.h"
#include "support/test_files.h"

namespace splitwick::testing {

// What a mux reported; onProgress runs at each progress text, where a user watching the
// status bar could press Cancel.
class MuxReport : public RecordingReport {
  public:
    void slog(const std::string& text, uint8_t panel) override {
        RecordingReport::slog(text, panel);
        if (panel == 1 && !text.empty() && onProgress) onProgress();
    }
    std::function<void()> onProgress;
};

// Sets an environment variable for as long as it lives.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> saved_;
};

// A folder for each test's files. mkvmerge's option files are written to a folder of their
// own (TMPDIR), which must be empty again once a mux has ended.
class MuxTest : public ::testing::Test {
  protected:
    void TearDown() override;

    // Runs the mux on the event loop as the window does; afterStart runs once mkvmerge has
    // been started.
    MuxOutcome run(const MuxPlan& plan, const std::function<void()>& afterStart = {});

    // The plan for STEM.mkv in the folder.
    MuxPlan planFor(const std::string& stem) const;

    TempFolder optionFiles;
    TempFolder folder;
    MuxReport report;
    ScopedEnvironment tmpdir{"TMPDIR", optionFiles.path()};
    std::unique_ptr<MuxRunner> runner;
};

// An encoded stream as a track of this box, codec, label and delay.
MuxTrack track(Encoded input, Box box, MuxCodec codec, TrackLabel label = {}, int64_t delayMs = 0);

// Whether mkvmerge's partial file for the output, OUTPUT.XXXXXX.part, is in its folder.
bool partialExists(const std::string& output);

// The LPCM stream's samples written as a WAV file by the demux's WAV writer.
std::string lpcmWav(Encoded input, const std::string& path);

} // namespace splitwick::testing
