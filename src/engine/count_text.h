#pragma once
#include <cstdint>
#include <string>

namespace splitwick {

// A count as a reader takes it in at a glance: "3,389".
std::string groupedCount(int64_t count);

} // namespace splitwick
