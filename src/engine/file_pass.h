#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "file_progress.h"
#include "job_events.h"
#include "job_progress.h"
#include "remaining_time.h"
#include "sizes.h"
#include "source_file.h"
#include "stop_reason.h"

namespace splitwick {

// How a pass names its progress: "VERB FILE 512/7634 Mbytes, Remaining time: ..." by a verb
// ("Reading"), or as the one line of the file the job makes ("FEATURE_1.mkv 62 %, ..."), whose
// clock runs over all the job's passes; neither: no progress line.
// The share done is the job's over all its passes when it counts them (job), else the file's.
struct PassLine {
    const char* verb = nullptr;
    const FileProgress* target = nullptr;
    JobProgress* job = nullptr;
};

// One pass over a source file from its start, chunk by chunk, as every long job makes it. It
// owns the file and the buffer the chunks are read into. The events are told that the pass
// started and, on every way out, that it ended and why; at every 4 MiB point they get the
// pass's progress. A stop request is looked for before each chunk.
class FilePass {
  public:
    FilePass(JobEvents& events, std::unique_ptr<SourceFile> source, bool writesOutput,
             PassLine line);
    ~FilePass();
    FilePass(const FilePass&) = delete;
    FilePass& operator=(const FilePass&) = delete;

    // The next chunk, up to BufferSize bytes, in the pass's buffer, where the caller may change
    // it; empty once the file has ended or the pass stopped. ReadPadding zero bytes follow the
    // buffer's BufferSize.
    std::span<uint8_t> next();
    // Ends the pass after the chunk in hand.
    void stop(StopReason reason) { stop_ = reason; }
    // Why the pass ended, once next() has given an empty chunk.
    StopReason stopReason() const { return stop_.value_or(StopReason::EndOfFile); }
    const SourceFile& source() const { return *source_; }

  private:
    Progress progress(int64_t position) const;

    JobEvents& events_;
    const std::unique_ptr<SourceFile> source_;
    const PassLine line_;
    const PassClock clock_;
    std::vector<uint8_t> buffer_;
    std::optional<StopReason> stop_;
    // Failures already on their way out when the pass began: one more means the pass failed.
    const int failuresBefore_;
};

} // namespace splitwick
