#include "title_time.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace splitwick {

namespace {

constexpr int DefaultRate = 60;
constexpr int64_t NsPerSecond = 1'000'000'000;

// A field of digits only; no sign, no spaces.
std::optional<int64_t> digits(std::string_view text) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || text.front() == '-' || error != std::errc() ||
        end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace

int timeBaseRate(std::string_view timeBase) {
    if (!timeBase.ends_with("fps")) return DefaultRate;
    const std::optional<int64_t> rate = digits(timeBase.substr(0, timeBase.size() - 3));
    return rate && *rate > 0 && *rate <= 1000 ? static_cast<int>(*rate) : DefaultRate;
}

std::optional<int64_t> titleTimeNs(std::string_view text, int rate) {
    // Hours, minutes, seconds, frames, each below its limit. Hours have none of their own; ten
    // thousand keeps the whole seconds below 2^26.
    const std::array<int64_t, 4> limits = {10'000, 60, 60, rate};
    std::array<int64_t, 4> fields{};
    for (size_t i = 0; i < fields.size(); ++i) {
        const size_t colon = i + 1 < fields.size() ? text.find(':') : text.size();
        if (colon == std::string_view::npos) return std::nullopt;
        const std::optional<int64_t> field = digits(text.substr(0, colon));
        if (!field || *field >= limits[i]) return std::nullopt;
        fields[i] = *field;
        text.remove_prefix(std::min(colon + 1, text.size()));
    }
    const int64_t seconds = (fields[0] * 60 + fields[1]) * 60 + fields[2];
    // NTSC field rates: the count lasts 1001/1000 of its nominal length.
    const int64_t nsPerRateCounts = rate % 30 == 0 ? NsPerSecond / 1000 * 1001 : NsPerSecond;
    // The whole seconds apart from the frames: at any rate (up to 1000) neither product nears
    // 2^63, where the count of frames times nsPerRateCounts would pass it at high rates.
    return seconds * nsPerRateCounts + (fields[3] * nsPerRateCounts + rate / 2) / rate;
}

int64_t roundedMs(int64_t ns) {
    return (ns + 500'000) / 1'000'000;
}

} // namespace splitwick
