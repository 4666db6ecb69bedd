#pragma once
#include <string>

#include "settings_store.h"

namespace splitwick {

// $XDG_CONFIG_HOME/Corvellan/Splitwick.conf, or ~/.config/Corvellan/Splitwick.conf when the
// variable is unset, empty or not an absolute path.
std::string settingsPath();

// A file that is not a regular one (a folder, a FIFO, a device) is Unreadable, and opening it
// never waits.
struct LoadedSettings {
    enum class Status { Missing, Unreadable, Loaded };
    Status status;
    SettingsStore store;
};
LoadedSettings loadSettingsFile(const std::string& path);

// Creates the file's folder and those above it as needed; false when it cannot be had.
bool createSettingsFolder(const std::string& path);

// Replaces the file as a whole: the new content goes to a temporary file beside it, is synced
// to disk and then renamed over the old one, so a crash or a full disk leaves either the old
// file or the new one. False when the new content could not be stored.
bool saveSettingsFile(const std::string& path, const SettingsStore& store);

} // namespace splitwick
