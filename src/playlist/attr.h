#pragma once
#include <cstdint>
#include <string>

namespace splitwick {

// The line with the ASCII letters a to z upper-cased; every other byte (UTF-8 included) kept.
std::string upperAscii(std::string text);

// When the attribute's name occurs in the line (in any letter case, anywhere, also inside a
// longer word), the holder receives the value in double quotes that follows it within 255
// characters: empty when there is no such value. Otherwise the holder keeps what it had.
void AttrText(const std::string& line, const std::string& name, std::string& holder);

// The attribute's value as a number; 0 when it is absent, not a number, or out of range.
int32_t AttrNumber(const std::string& line, const std::string& name);

} // namespace splitwick
