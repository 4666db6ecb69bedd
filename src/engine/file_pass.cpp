#include "file_pass.h"

#include <exception>

namespace splitwick {

FilePass::FilePass(JobEvents& events, std::unique_ptr<SourceFile> source, bool writesOutput,
                   PassLine line)
    : events_(events), source_(std::move(source)), line_(line), buffer_(BufferSize + ReadPadding),
      failuresBefore_(std::uncaught_exceptions()) {
    if (line_.job != nullptr) line_.job->fileStarted(source_->size());
    events_.passStarted(*source_, writesOutput);
}

FilePass::~FilePass() {
    const bool failed = std::uncaught_exceptions() > failuresBefore_;
    events_.passEnded(failed ? StopReason::Error : stopReason());
}

std::span<uint8_t> FilePass::next() {
    // A stop request outranks the pass's own stop: only then did someone ask for it.
    if (events_.stopRequested()) stop_ = StopReason::Cancelled;
    if (!stop_ && source_->position() >= source_->size()) stop_ = StopReason::EndOfFile;
    if (stop_) return {};
    const size_t n = source_->read(buffer_.data(), BufferSize);
    const int64_t position = source_->position();
    if (position % ProgressStep == 0 && (line_.verb != nullptr || line_.target != nullptr))
        events_.progress(progress(position));
    return {buffer_.data(), n};
}

Progress FilePass::progress(int64_t position) const {
    const int64_t size = source_->size();
    const int64_t done = line_.job != nullptr ? line_.job->done(position) : position;
    const int64_t total = line_.job != nullptr ? line_.job->total() : size;
    const std::string remaining = line_.job != nullptr ? line_.job->remaining(done)
                                  : done < total       ? clock_.remaining(done, total)
                                                       : "";
    // The file made is named with the share of the whole job; a verb's line is the file's.
    std::string text = line_.target != nullptr
                           ? line_.target->text(done, total)
                           : std::string(line_.verb) + " " + source_->fileName() + " " +
                                 progressTail(clock_, position, size);
    return {std::move(text), done, total, remaining};
}

} // namespace splitwick
