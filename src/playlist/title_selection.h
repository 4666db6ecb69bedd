#pragma once
#include <optional>
#include <string>

#include "memo_lines.h"

namespace splitwick {

// The memo line that names the EVO of this stem: the first in which the stem stands as a
// clip's file name (src="file:///dvddisc/HVDVD_TS/FEATURE_1.MAP" for FEATURE_1), else the
// first that holds the stem anywhere. Nothing for an empty stem, and nothing when the line
// found is line 0.
std::optional<size_t> evoLine(const MemoLines& memo, const std::string& stem);

// Cuts the memo down to the title element around the line that names the EVO: from the
// nearest "<Title " above that line to the first "</Title" after the memo's first line.
void cutToTitle(MemoLines& memo, size_t evoLine);

} // namespace splitwick
