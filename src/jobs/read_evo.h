#pragma once
#include "engine/session.h"

namespace splitwick {

// Read EVO: scans the chosen EVO (eEVOfile) in check mode and enables, ticks and labels one
// stream box for every stream found. Writes no file.
void bCheckClick(Session& session);

} // namespace splitwick
