// A TitleSet's timeBase and a title time, as the playlist reader takes them: the first line is
// the timeBase, the rest the time. The rate is one the reader accepts; the time agrees with a
// plain reading of its four fields in 128-bit arithmetic (so it never overflows), is refused
// when a field reaches its limit, and grows with each field.
#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "playlist/title_time.h"

using splitwick::fuzz::require;

namespace {

// The fields of "H:M:S:F" when each is digits alone, else nothing; a field too long for
// int64_t counts as past any limit.
std::optional<std::vector<int64_t>> fieldsOf(std::string_view text) {
    std::vector<int64_t> fields;
    for (;;) {
        const size_t colon = text.find(':');
        const std::string_view field = text.substr(0, colon);
        if (field.empty() || field.find_first_not_of("0123456789") != std::string_view::npos)
            return std::nullopt;
        const size_t lead = std::min(field.find_first_not_of('0'), field.size());
        fields.push_back(field.size() - lead > 18 ? INT64_MAX : std::stoll(std::string(field)));
        if (colon == std::string_view::npos) break;
        text.remove_prefix(colon + 1);
    }
    if (fields.size() != 4) return std::nullopt;
    return fields;
}

std::string timeText(const std::vector<int64_t>& f) {
    return std::to_string(f[0]) + ":" + std::to_string(f[1]) + ":" + std::to_string(f[2]) + ":" +
           std::to_string(f[3]);
}

std::optional<int64_t> reference(const std::vector<int64_t>& f, int rate) {
    const int64_t limits[] = {10'000, 60, 60, rate};
    for (size_t i = 0; i < 4; ++i)
        if (f[i] >= limits[i]) return std::nullopt;
    const __int128 counts = ((__int128(f[0]) * 60 + f[1]) * 60 + f[2]) * rate + f[3];
    const __int128 nsPerRateCounts = rate % 30 == 0 ? 1'001'000'000 : 1'000'000'000;
    return int64_t((counts * nsPerRateCounts + rate / 2) / rate);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    if (newline == std::string_view::npos) return 0;
    const int rate = splitwick::timeBaseRate(input.substr(0, newline));
    require(rate > 0 && rate <= 1000, "a rate of 1 to 1000 frames a second");

    const std::string_view text = input.substr(newline + 1);
    const std::optional<int64_t> ns = splitwick::titleTimeNs(text, rate);
    const std::optional<std::vector<int64_t>> fields = fieldsOf(text);
    require(ns == (fields ? reference(*fields, rate) : std::nullopt),
            "the time agrees with a plain reading of its fields");
    if (!ns) return 0;

    // Each field one higher: later, or refused at its limit.
    const int64_t limits[] = {10'000, 60, 60, rate};
    for (size_t i = 0; i < 4; ++i) {
        std::vector<int64_t> next = *fields;
        ++next[i];
        const std::optional<int64_t> later = splitwick::titleTimeNs(timeText(next), rate);
        require(next[i] < limits[i] ? later && *later > *ns : !later,
                "a field one higher is later, or refused at its limit");
    }
    return 0;
}
