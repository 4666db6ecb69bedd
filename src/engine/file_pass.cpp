#include "file_pass.h"

#include <exception>

namespace splitwick {

FilePass::FilePass(JobEvents& events, std::unique_ptr<SourceFile> source, bool writesOutput,
                   PassLine line)
    : events_(events), source_(std::move(source)), line_(line), buffer_(BufferSize + ReadPadding),
      failuresBefore_(std::uncaught_exceptions()) {
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
        events_.progress({progressText(position), position, source_->size()});
    return {buffer_.data(), n};
}

std::string FilePass::progressText(int64_t position) const {
    if (line_.target != nullptr) return line_.target->text(position, source_->size());
    return std::string(line_.verb) + " " + source_->fileName() + " " +
           progressTail(clock_, position, source_->size());
}

} // namespace splitwick
