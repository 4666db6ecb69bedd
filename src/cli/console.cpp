#include "console.h"

#include <csignal>
#include <iostream>

namespace splitwick::cli {

namespace {

volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void onInterrupt(int signal) {
    if (interruptSignal == 0) interruptSignal = signal;
}

} // namespace

ConsoleEvents::ConsoleEvents(bool keepLines, ProgressLine::Mode progress)
    : keepLines_(keepLines), progress_(progress) {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    // A read or write the signal lands in goes on, in the files and in the standard streams.
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
}

void ConsoleEvents::logged(const std::string& line) {
    if (keepLines_) {
        lines_.push_back(line);
        return;
    }
    progress_.clear();
    std::cout << line << '\n' << std::flush;
}

void ConsoleEvents::progress(const Progress& progress) {
    if (progress.total > 0)
        progress_.show(progress.text, progress.done, progress.total);
    else
        progress_.show(progress.text, 0, 100);
}

void ConsoleEvents::trackFound(const Track& track, const std::string& line) {
    tracks_.push_back(track);
    logged(line);
}

bool ConsoleEvents::interrupted() {
    return interruptSignal != 0;
}

int ConsoleEvents::exitCode() {
    return 128 + interruptSignal;
}

} // namespace splitwick::cli
