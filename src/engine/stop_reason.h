#pragma once

namespace splitwick {

// Why a pass over a file ended.
enum class StopReason {
    EndOfFile,
    Cancelled,      // a cancel request, or a signal on the command line
    FastCheckLimit, // Read EVO with the fast check read its first ~300 MB
    Error,          // a failure ended it, on its way to the user
};

// What the window's log and the command line say after a job that writes files was cancelled.
inline constexpr const char* CancelledLine =
    "Cancelled: the output files hold what was written until then";

} // namespace splitwick
