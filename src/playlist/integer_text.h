#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace splitwick {

// A whole text read as a signed 32-bit number: optional leading spaces, an optional sign, then
// decimal digits, or hexadecimal digits behind "$" or "0x". Nothing else may follow, and the
// number must fit. Gives nothing for any other text, the empty text included.
std::optional<int32_t> parseInteger(std::string_view text);

// parseInteger that fails: throws JobError "'abc' is not a valid integer value".
int32_t strictInteger(const std::string& text);

} // namespace splitwick
