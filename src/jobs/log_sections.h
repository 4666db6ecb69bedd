#pragma once
#include <string>
#include <vector>

#include "engine/report.h"

namespace splitwick {

// The lines of a job that does the work of several in one pass, in the order those jobs would
// log them one after another: each one's lines are a section. A section's lines go out as soon
// as every section before it is closed, and wait until then otherwise; lines still waiting when
// the log goes (a job that failed) go out then, in their order. Panel texts go out at once.
class LogSections {
  public:
    LogSections(Report& out, size_t count);
    ~LogSections();
    LogSections(const LogSections&) = delete;
    LogSections& operator=(const LogSections&) = delete;

    Report& operator[](size_t section) { return sections_[section]; }
    void close(size_t section);
    // The section's lines go nowhere: the job that would log them ran before, on its own.
    void drop(size_t section) { dropped_[section] = true; }

  private:
    class Section : public Report {
      public:
        Section(LogSections& log, size_t index) : log_(log), index_(index) {}
        void log(const std::string& text) override;
        void slog(const std::string& text, uint8_t panel) override;

      private:
        LogSections& log_;
        const size_t index_;
    };

    void flush(size_t section);

    Report& out_;
    std::vector<Section> sections_;
    std::vector<std::vector<std::string>> waiting_;
    std::vector<bool> closed_;
    std::vector<bool> dropped_;
    size_t current_ = 0; // the first section not closed: its lines go out at once
};

} // namespace splitwick
