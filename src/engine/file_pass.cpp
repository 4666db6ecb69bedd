#include "file_pass.h"

#include <exception>

namespace splitwick {

FilePass::FilePass(Session& session, std::unique_ptr<SourceFile> source, bool writesOutput,
                   const char* progressVerb)
    : session_(session), source_(std::move(source)), progressVerb_(progressVerb),
      buffer_(BufferSize), failuresBefore_(std::uncaught_exceptions()) {
    session_.passes.passStarted(*source_, writesOutput);
}

FilePass::~FilePass() {
    const bool failed = std::uncaught_exceptions() > failuresBefore_;
    session_.passes.passEnded(failed ? StopReason::Error : stopReason());
}

std::span<uint8_t> FilePass::next() {
    // A cancel outranks the pass's own stop: only then did someone ask for it.
    if (session_.cancelRequested) stop_ = StopReason::Cancelled;
    if (!stop_ && source_->position() >= source_->size()) stop_ = StopReason::EndOfFile;
    if (stop_) return {};
    const size_t n = source_->read(buffer_.data(), buffer_.size());
    const int64_t position = source_->position();
    if (position % ProgressStep == 0 && progressVerb_ != nullptr)
        session_.slog(std::string(progressVerb_) + " " + source_->fileName() + " " +
                          progressTail(clock_, position, source_->size()),
                      1);
    return {buffer_.data(), n};
}

} // namespace splitwick
