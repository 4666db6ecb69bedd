#pragma once
#include <cstdint>
#include <string>

namespace splitwick::cli {

// Status panel 1 on stderr. On a terminal it is one live line, rewritten at every step of a
// pass; elsewhere (a log file, a pipe) each text would stay, so a plain line is written only
// when the pass reaches a new twentieth (5 %) of its file: 21 lines at most, whatever the size.
// Quiet shows nothing.
class ProgressLine {
  public:
    enum class Mode { Live, Steps, Quiet };
    explicit ProgressLine(Mode mode) : mode_(mode) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The mode for stderr as it is: live on a terminal, in steps otherwise.
    static Mode forStderr(bool quiet);

    // text tells how far a pass over a file of size bytes has come (position); an empty text
    // ends the line, and the next pass starts its steps afresh.
    void show(const std::string& text, int64_t position, int64_t size);
    // Takes a live line off the terminal, so that a log line on stdout starts a clean line.
    void clear();

  private:
    static constexpr int Steps = 20;

    const Mode mode_;
    bool liveLineShown_ = false;
    int lastStep_ = -1;
};

} // namespace splitwick::cli
