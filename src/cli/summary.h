#pragma once
#include <string>
#include <vector>

#include "engine/session.h"

namespace splitwick::cli {

// {"log":[...],"streams":[{"box":"cbAudio00","caption":"DD+.stream.00","id":192}],
//  "frames":[n0,n1],"cancelled":false}: every enabled box in box order with its caption and its
// stream-table entry.
std::string summaryJson(const Session& session, const std::vector<std::string>& log);

} // namespace splitwick::cli
