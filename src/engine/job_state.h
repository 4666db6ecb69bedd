#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "output_file.h"
#include "source_file.h"
#include "stream_table.h"

namespace splitwick {

constexpr size_t BufferSize = 32768;
constexpr int64_t MiB = 1048576;
// A pass over a file shows its progress and lets the window's events through each time its
// position reaches a multiple of this.
constexpr int64_t ProgressStep = 4 * MiB;

using OutputSlot = std::unique_ptr<OutputFile>;

// The program-wide state that every command works on. Commands run one at a time on the
// window's thread; nothing here is locked.
struct JobState {
    // What the running command last read; no command relies on what another left in it.
    std::array<uint8_t, BufferSize> Buffer{};
    std::unique_ptr<SourceFile> Source;
    ::splitwick::StreamTable StreamTable;

    std::array<OutputSlot, 2> VideoOut;
    std::array<OutputSlot, 16> AudioOut;
    std::array<OutputSlot, 16> SubOut;
    std::array<OutputSlot, 16> PtsOut;

    // A request to stop the running scan. Left set when a scan ends, so the job learns that the
    // scan was stopped.
    bool Cancelled = false;
    // The running (or last) pass writes output: Cancel asks first.
    bool DemuxMode = false;
    std::array<int64_t, 2> FrameCount{};

    std::string EVOdir;  // folder of the chosen EVO, with its trailing "/"
    std::string EVOfile; // its name without folder
    std::string EVOname; // EVOfile less its last four characters: the stem of every output
    std::string XPLdir;
    std::string XPLfile;
};

// Closes every output slot in slot order (video, audio, subpicture, timestamps) and empties
// it. Throws the first output's "Stream write error" after closing them all when any could not
// be stored.
void closeOutputs(JobState& state);

// Empties the files of every open output slot: the step after a job opened all its outputs.
void truncateOutputs(JobState& state);

// Empties every output slot without reporting: the way out of a job that already failed.
void dropOutputs(JobState& state);

} // namespace splitwick
