#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "remaining_time.h"
#include "session.h"
#include "source_file.h"
#include "stop_reason.h"

namespace splitwick {

// One pass over a source file from its start, chunk by chunk, as every long job makes it. It
// owns the file and the buffer the chunks are read into. The session's observer is told that
// the pass started and, on every way out, that it ended and why. At every 4 MiB point the pass's
// progress line, if it has one, goes to status panel 1. A cancel request is seen before each
// chunk.
class FilePass {
  public:
    // progressVerb, e.g. "Reading", begins the progress line; nullptr for none.
    FilePass(Session& session, std::unique_ptr<SourceFile> source, bool writesOutput,
             const char* progressVerb);
    ~FilePass();
    FilePass(const FilePass&) = delete;
    FilePass& operator=(const FilePass&) = delete;

    // The next chunk, up to BufferSize bytes, in the pass's buffer, where the caller may change
    // it; empty once the file has ended or the pass stopped.
    std::span<uint8_t> next();
    // Ends the pass after the chunk in hand.
    void stop(StopReason reason) { stop_ = reason; }
    // Why the pass ended, once next() has given an empty chunk.
    StopReason stopReason() const { return stop_.value_or(StopReason::EndOfFile); }
    const SourceFile& source() const { return *source_; }

  private:
    Session& session_;
    const std::unique_ptr<SourceFile> source_;
    const char* const progressVerb_;
    const PassClock clock_;
    std::vector<uint8_t> buffer_;
    std::optional<StopReason> stop_;
    // Failures already on their way out when the pass began: one more means the pass failed.
    const int failuresBefore_;
};

} // namespace splitwick
