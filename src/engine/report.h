#pragma once
#include <cstdint>
#include <string>

#include "stop_reason.h"

namespace splitwick {

class SourceFile;

// How jobs report: log appends one line to the message log; slog sets the text of status
// panel 0 (the job's phase word) or 1 (progress and detail).
class Report {
  public:
    virtual ~Report() = default;
    virtual void log(const std::string& text) = 0;
    virtual void slog(const std::string& text, uint8_t panel) = 0;
};

// Learns when a long pass over a file starts and ends, e.g. to offer Cancel meanwhile. The
// source stays open, and its position tells the pass's progress, until passEnded. Called on the
// thread that runs the job.
class PassObserver {
  public:
    virtual ~PassObserver() = default;
    // A pass that writes output is stopped only after a question.
    virtual void passStarted(const SourceFile& source, bool writesOutput) = 0;
    virtual void passEnded(StopReason reason) = 0;
};

} // namespace splitwick
