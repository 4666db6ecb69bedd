#include "count_text.h"

namespace splitwick {

std::string groupedCount(int64_t count) {
    std::string digits = std::to_string(count < 0 ? -count : count);
    for (auto at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return (count < 0 ? "-" : "") + digits;
}

} // namespace splitwick
