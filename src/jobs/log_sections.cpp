#include "log_sections.h"

namespace splitwick {

LogSections::LogSections(Report& out, size_t count)
    : out_(out), waiting_(count), closed_(count, false), dropped_(count, false) {
    sections_.reserve(count);
    for (size_t k = 0; k < count; ++k)
        sections_.emplace_back(*this, k);
}

LogSections::~LogSections() {
    for (size_t k = current_; k < sections_.size(); ++k)
        flush(k);
}

void LogSections::close(size_t section) {
    closed_[section] = true;
    while (current_ < sections_.size() && closed_[current_])
        if (++current_ < sections_.size()) flush(current_);
}

void LogSections::flush(size_t section) {
    for (const std::string& line : waiting_[section])
        out_.log(line);
    waiting_[section].clear();
}

void LogSections::Section::log(const std::string& text) {
    if (log_.dropped_[index_]) return;
    if (index_ <= log_.current_)
        log_.out_.log(text);
    else
        log_.waiting_[index_].push_back(text);
}

void LogSections::Section::slog(const std::string& text, uint8_t panel) {
    log_.out_.slog(text, panel);
}

} // namespace splitwick
