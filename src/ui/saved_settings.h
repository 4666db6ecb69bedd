#pragma once
#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

#include "settings_store.h"

namespace splitwick {

// What the window keeps from one run to the next. A value that is absent was not in the store
// (on reading) or is not to be written (on writing).
struct SavedSettings {
    std::optional<int32_t> windowState;              // 0 normal, 1 minimised, 2 maximised
    std::optional<int32_t> top, left, width, height; // of the whole window, frame included
    std::optional<int32_t> treeWidth;
    std::optional<std::string> audioExt, videoExt, subExt, workdir, evoDir, xplDir;
    std::optional<bool> continueWith, fastCheck, countFrames, lpcmWav, extByCodec, subPgs, muxMkv,
        keepStreams, lpcmFlac, dtsCore, clusterCrc;
};

constexpr int32_t Maximised = 2;

// The first value written, named when the store cannot be written at all.
extern const char* const FirstWritten; // "WindowState"

// Reads the values in their reading order (size and place before the state, so a maximised
// window gets its normal placement first). Stops at the first value that cannot be read: what
// was read before it is kept, and the error is handed back beside it.
struct ReadSettings {
    SavedSettings values;
    std::optional<JobError> error;
};
ReadSettings readSettings(const SettingsStore& store);

// Writes every value that is present, in writing order, but leaves the stored placement as
// it is when the window is maximised; adds "Install" with the given moment when the store has
// none yet.
void writeSettings(SettingsStore& store, const SavedSettings& settings, double now);

// A moment as days since 30 December 1899, the time of day as the fraction.
double dateTimeValue(const std::tm& local, int milliseconds);
// The local date and time now, as above.
double localDateTimeNow();
// The 8 bytes of a little-endian IEEE 754 double.
std::array<uint8_t, 8> doubleBytes(double value);

} // namespace splitwick
