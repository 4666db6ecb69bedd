#pragma once
#include <stdexcept>
#include <string>

namespace splitwick {

// What went wrong, for callers that act on the kind of failure (an exit code) rather than on
// its text.
enum class JobErrorKind {
    Open,      // a file could not be opened: missing, unreadable, no regular file, in use
    Create,    // an output (or its folder) could not be made or put in place, or is in use
    Read,      // a read stopped before the end of the file
    Write,     // bytes could not be stored in an output
    Input,     // the input's data is wrong, or lacks what the job was asked for
    Scrambled, // the source's packs are encrypted
    Refused,   // the request cannot be carried out as asked, before or without touching a file
    Tool,      // an outside program is missing or failed
    Settings,  // the saved settings could not be read or written
    Usage,     // the request names streams or languages the title does not have
};

// A failure of a job, carrying the exact text the user is shown and, where that text names no
// file, a detail that does, for the command line's second line.
class JobError : public std::runtime_error {
  public:
    JobError(JobErrorKind kind, const std::string& text, std::string detail = "")
        : std::runtime_error(text), kind_(kind), detail_(std::move(detail)) {}
    JobErrorKind kind() const { return kind_; }
    const std::string& detail() const { return detail_; }

  private:
    JobErrorKind kind_;
    std::string detail_;
};

// "Cannot open file "%s". %s" with the file's full path and the system's reason.
JobError cannotOpen(const std::string& path, const std::string& reason);
// "Cannot create file "%s". %s".
JobError cannotCreate(const std::string& path, const std::string& reason);
// "Cannot move "%s" into place as "%s". %s": a stored output that could not take its name.
JobError cannotMoveIntoPlace(const std::string& temporary, const std::string& path,
                             const std::string& reason);
// A read that stopped before the end of the file.
JobError cannotRead(const std::string& path, const std::string& reason);
// A failed or short write, flush or close of an output: "Stream write error", with the file and
// the system's reason as its detail.
JobError streamWriteError(const std::string& path, int error);

// The reason given when a file is already open in this job (the source, or another output).
extern const char* const FileInUse;
// The reason a FIFO or a device is refused as a source.
extern const char* const NotRegularFile;

// An error's text as the error box and the command line show it: a "." is added when the
// text's last character comes after "." in character order.
std::string errorBoxText(const std::string& text);

// The full path shown in messages: absolute, with "." and ".." folded away.
std::string fullPath(const std::string& path);
// The system's text for an errno value.
std::string systemReason(int error);

} // namespace splitwick
