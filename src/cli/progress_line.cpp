#include "progress_line.h"

#include <unistd.h>

#include <iostream>

namespace splitwick::cli {

ProgressLine::Mode ProgressLine::forStderr(bool quiet) {
    if (quiet) return Mode::Quiet;
    return ::isatty(STDERR_FILENO) == 1 ? Mode::Live : Mode::Steps;
}

void ProgressLine::show(const std::string& text, int64_t position, int64_t size) {
    if (text.empty()) {
        clear();
        lastStep_ = -1;
        return;
    }
    switch (mode_) {
    case Mode::Quiet:
        return;
    case Mode::Live:
        std::cerr << '\r' << text << "\x1b[K" << std::flush;
        liveLineShown_ = true;
        return;
    case Mode::Steps: {
        // Positions only grow within a pass; a step that differs from the last one shown is
        // either the next one or the start of another pass (the second part of a title).
        const int step = size > 0 ? int(position * Steps / size) : 0;
        if (step == lastStep_) return;
        lastStep_ = step;
        std::cerr << text << '\n';
        return;
    }
    }
}

void ProgressLine::clear() {
    if (!liveLineShown_) return;
    std::cerr << "\r\x1b[K" << std::flush;
    liveLineShown_ = false;
}

} // namespace splitwick::cli
