#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/job_error.h"

namespace splitwick {

JobError invalidDataType(std::string_view name); // "Invalid data type for 'NAME'"
JobError failedToGetData(std::string_view name); // "Failed to get data for 'NAME'"
JobError failedToSetData(std::string_view name); // "Failed to set data for 'NAME'"

// The per-user settings as typed, named values, and their text form: one value a line,
//   NAME=int:-12          a signed 32-bit integer in decimal
//   NAME=string:C:\\x\ny  UTF-8 text; "\\", "\n" and "\r" stand for a backslash, LF and CR
//   NAME=binary:00ff      raw bytes in hexadecimal
// A line that ends in CR reads as if it did not. Blank lines and lines that begin with "#" are
// comments; where a name stands on several lines, the last one holds its value. A write
// replaces that one line or adds a line at the end: every other line stays as it stands, so
// values this program does not know, of types it does not know, survive it byte for byte.
// Names are the program's own: not empty, without "=", CR or LF, not beginning with "#".
class SettingsStore {
  public:
    // A store of no values: a comment that says what the file holds.
    SettingsStore();
    static SettingsStore parse(std::string_view text);
    std::string text() const;

    bool has(std::string_view name) const;

    // A value of another type fails with "Invalid data type for 'NAME'"; an integer that does
    // not fit 32 bits, or is no number, with "Failed to get data for 'NAME'".
    int32_t readInteger(std::string_view name) const;
    // Any non-zero integer is true.
    bool readBool(std::string_view name) const { return readInteger(name) != 0; }
    std::string readString(std::string_view name) const;
    // A string that names a file or a folder, or a part of such a name. A control character
    // (below 32) in it fails with "Failed to get data for 'NAME'": the system would cut the
    // name at a NUL and write somewhere else than the window shows.
    std::string readPath(std::string_view name) const;

    void writeInteger(std::string_view name, int32_t value);
    void writeBool(std::string_view name, bool value) { writeInteger(name, value ? 1 : 0); }
    void writeString(std::string_view name, std::string_view value);
    void writeBinary(std::string_view name, const std::array<uint8_t, 8>& bytes);

  private:
    // The value's data when it has this type; throws "Invalid data type" otherwise.
    std::string_view dataOf(std::string_view name, std::string_view type) const;
    void write(std::string_view name, std::string_view type, std::string_view data);

    std::vector<std::string> lines_;                 // as they stand in the file, without their LF
    std::unordered_map<std::string, size_t> lineOf_; // each value's name: the line holding it
};

} // namespace splitwick
