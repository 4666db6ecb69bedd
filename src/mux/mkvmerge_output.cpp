#include "mkvmerge_output.h"

#include <array>
#include <charconv>

namespace splitwick {

namespace {

// mkvmerge's lines carry a file name or two and a sentence; a longer one is no line of its
// own and is cut here, so that output without line feeds cannot grow without bound.
constexpr size_t LongestLine = 65536;

void progressLine(MkvmergeListener& listener, std::string_view text) {
    int percent = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), percent);
    if (failure == std::errc() && end != text.data()) listener.progress(percent);
}

void warningLine(MkvmergeListener& listener, std::string_view text) {
    listener.warning(std::string(text));
}

void errorLine(MkvmergeListener& listener, std::string_view text) {
    listener.error(std::string(text));
}

struct Message {
    std::string_view prefix;
    void (*take)(MkvmergeListener&, std::string_view rest);
};

constexpr std::array<Message, 4> Messages = {{
    {"#GUI#progress ", progressLine},
    {"#GUI#warning ", warningLine},
    {"#GUI#error ", errorLine},
    // Before it has read its options (an option file it cannot read), mkvmerge is not yet in
    // its GUI mode.
    {"Error: ", errorLine},
}};

} // namespace

void MkvmergeOutput::feed(std::string_view bytes) {
    while (!bytes.empty()) {
        const size_t newline = bytes.find('\n');
        // partial_ never holds more than LongestLine.
        partial_.append(bytes.substr(0, newline).substr(0, LongestLine - partial_.size()));
        if (newline == std::string_view::npos) return;
        line(partial_);
        partial_.clear();
        bytes.remove_prefix(newline + 1);
    }
}

void MkvmergeOutput::end() {
    if (!partial_.empty()) line(partial_);
    partial_.clear();
}

void MkvmergeOutput::line(std::string_view text) {
    if (text.ends_with('\r')) text.remove_suffix(1);
    for (const Message& message : Messages)
        if (text.starts_with(message.prefix)) {
            message.take(listener_, text.substr(message.prefix.size()));
            return;
        }
}

} // namespace splitwick
