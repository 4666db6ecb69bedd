#include "integer_text.h"

#include "engine/job_error.h"

namespace splitwick {

namespace {

int digitValue(char c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

// Takes a prefix off the text when it is there.
bool skip(std::string_view& text, std::string_view prefix) {
    if (!text.starts_with(prefix)) return false;
    text.remove_prefix(prefix.size());
    return true;
}

} // namespace

std::optional<int32_t> parseInteger(std::string_view text) {
    while (skip(text, " ")) {
    }
    const bool negative = skip(text, "-");
    if (!negative) skip(text, "+");
    const int base = skip(text, "$") || skip(text, "0x") || skip(text, "0X") ? 16 : 10;
    if (text.empty()) return std::nullopt;
    // The magnitude may reach 2^31 only for a negative number.
    const int64_t limit = negative ? int64_t{INT32_MAX} + 1 : INT32_MAX;
    int64_t magnitude = 0;
    for (char c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0) return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return std::nullopt;
    }
    return static_cast<int32_t>(negative ? -magnitude : magnitude);
}

int32_t strictInteger(const std::string& text) {
    const std::optional<int32_t> number = parseInteger(text);
    if (!number) throw JobError(JobErrorKind::Input, "'" + text + "' is not a valid integer value");
    return *number;
}

} // namespace splitwick
