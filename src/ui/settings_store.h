#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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
// Blank lines and lines that begin with "#" are comments. Values keep the order in which the
// file lists them (new ones go to the end); a value of a type this program does not know is
// kept as it stands.
class SettingsStore {
  public:
    static SettingsStore parse(std::string_view text);
    std::string text() const;

    bool has(std::string_view name) const;

    // A value of another type fails with "Invalid data type for 'NAME'"; an integer that does
    // not fit 32 bits, or is no number, with "Failed to get data for 'NAME'".
    int32_t readInteger(std::string_view name) const;
    // Any non-zero integer is true.
    bool readBool(std::string_view name) const { return readInteger(name) != 0; }
    std::string readString(std::string_view name) const;

    void writeInteger(std::string_view name, int32_t value);
    void writeBool(std::string_view name, bool value) { writeInteger(name, value ? 1 : 0); }
    void writeString(std::string_view name, std::string_view value);
    void writeBinary(std::string_view name, const std::array<uint8_t, 8>& bytes);

  private:
    struct Value {
        std::string type; // "int", "string", "binary", or one kept from the file
        std::string data; // as it stands in the file
    };
    const Value* find(std::string_view name) const;
    // The value's data when it has this type; throws "Invalid data type" otherwise.
    const std::string& dataOf(std::string_view name, std::string_view type) const;
    void write(std::string_view name, std::string_view type, std::string data);

    std::vector<std::pair<std::string, Value>> values_;
};

} // namespace splitwick
