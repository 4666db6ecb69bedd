#pragma once

namespace splitwick {

// Why a pass over a file ended.
enum class StopReason {
    EndOfFile,
    Cancelled,      // the Cancel button, or a signal on the command line
    FastCheckLimit, // Read EVO with the fast check read its first ~300 MB
    Error,          // a failure ended it, on its way to the user
};

} // namespace splitwick
