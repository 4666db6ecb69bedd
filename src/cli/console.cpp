#include "console.h"

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <iostream>

namespace splitwick::cli {

namespace {

volatile std::sig_atomic_t interruptSignal = 0;

extern "C" void onInterrupt(int signal) {
    if (interruptSignal == 0) interruptSignal = signal;
}

} // namespace

ConsoleReport::ConsoleReport(bool keepLines)
    : keepLines_(keepLines), liveProgress_(::isatty(STDERR_FILENO) == 1) {}

ConsoleReport::~ConsoleReport() {
    clearLiveLine();
}

void ConsoleReport::log(const std::string& text) {
    if (keepLines_) {
        lines_.push_back(text);
        return;
    }
    clearLiveLine();
    std::cout << text << '\n' << std::flush;
}

void ConsoleReport::slog(const std::string& text, uint8_t panel) {
    if (panel != 1) return;
    if (!liveProgress_) {
        if (!text.empty()) std::cerr << text << '\n';
        return;
    }
    if (text.empty()) {
        clearLiveLine();
        return;
    }
    std::cerr << '\r' << text << "\x1b[K" << std::flush;
    liveLineShown_ = true;
}

void ConsoleReport::clearLiveLine() {
    if (!liveLineShown_) return;
    std::cerr << "\r\x1b[K" << std::flush;
    liveLineShown_ = false;
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

void InterruptEvents::processPendingEvents() {
    if (interrupted() && session_ != nullptr && session_->controls.buttonEnabled(Button::Cancel))
        session_->state.Cancelled = true;
}

bool InterruptEvents::interrupted() {
    return interruptSignal != 0;
}

int InterruptEvents::exitCode() {
    return 128 + interruptSignal;
}

} // namespace splitwick::cli
