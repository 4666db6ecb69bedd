#include "console.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "engine/source_file.h"

namespace splitwick::cli {

namespace {

volatile std::sig_atomic_t interruptSignal = 0;
// The cancel request of the session whose jobs a signal stops; lock-free, so the handler may set
// it.
std::atomic<bool>* cancelRequest = nullptr;
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int signal) {
    if (interruptSignal == 0) interruptSignal = signal;
    if (cancelRequest != nullptr) cancelRequest->store(true);
}

} // namespace

ConsoleReport::ConsoleReport(bool keepLines, ProgressLine::Mode progress,
                             const InterruptEvents& events)
    : keepLines_(keepLines), progress_(progress), events_(events) {}

void ConsoleReport::log(const std::string& text) {
    if (keepLines_) {
        lines_.push_back(text);
        return;
    }
    progress_.clear();
    std::cout << text << '\n' << std::flush;
}

void ConsoleReport::slog(const std::string& text, uint8_t panel) {
    if (panel != 1) return;
    const SourceFile* source = events_.passSource();
    if (named_) {
        // A pass's end is not the line's: a title's next part goes on with it.
        if (text.empty() || source == nullptr) return;
        progress_.show(named_->text(source->position(), source->size()), source->position(),
                       source->size());
        return;
    }
    if (source != nullptr)
        progress_.show(text, source->position(), source->size());
    else
        progress_.show(text, 0, 100);
}

InterruptEvents::InterruptEvents() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // A read or write the signal lands in goes on, in the files and in the standard streams.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void InterruptEvents::attach(Session& session) {
    cancelRequest = &session.cancelRequested;
}

InterruptEvents::~InterruptEvents() {
    cancelRequest = nullptr;
}

bool InterruptEvents::interrupted() {
    return interruptSignal != 0;
}

int InterruptEvents::exitCode() {
    return 128 + interruptSignal;
}

} // namespace splitwick::cli
