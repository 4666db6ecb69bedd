#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace splitwick {

enum class RleCoding { Hd8Bit, Dvd2Bit };

// Decodes one field of a subpicture into lines first, first + 2, ... of pixels (width x height,
// row by row). Every line starts on a byte; a run longer than its line ends at the line's end.
// Returns false when the field's bytes end before its lines do.
bool decodeField(std::span<const uint8_t> field, RleCoding coding, int width, int height, int first,
                 std::vector<uint8_t>& pixels);

} // namespace splitwick
