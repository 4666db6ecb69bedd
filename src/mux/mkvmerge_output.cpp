#include "mkvmerge_output.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace splitwick {

namespace {

// mkvmerge's lines carry a file name or two and a sentence; a longer one is no line of its
// own and is cut here, so that output without line feeds cannot grow without bound.
constexpr size_t LongestLine = 65536;

constexpr char Escape = '\x1B';
// UTF-8's lead byte of U+0080 to U+00BF, among which the C1 controls U+0080 to U+009F lie.
constexpr unsigned char C1Lead = 0xC2;

// The end of the escape sequence that begins at `at`: a control sequence (ESC [ ... final byte)
// or an escape and the one character behind it.
size_t escapeEnd(std::string_view text, size_t at) {
    if (at + 1 < text.size() && text[at + 1] == '[') {
        size_t end = at + 2;
        while (end < text.size() && (text[end] < 0x40 || text[end] > 0x7E))
            ++end;
        return std::min(end + 1, text.size());
    }
    return std::min(at + 2, text.size());
}

// The text as a line of a log or a terminal: escape sequences go, other controls (C0, DEL and
// C1) become spaces.
std::string plainText(std::string_view text) {
    std::string plain;
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        if (byte == Escape) {
            at = escapeEnd(text, at);
        } else if (byte < 0x20 || byte == 0x7F) {
            plain += ' ';
            ++at;
        } else if (byte == C1Lead && at + 1 < text.size() &&
                   static_cast<unsigned char>(text[at + 1]) < 0xA0) {
            plain += ' ';
            at += 2;
        } else {
            plain += text[at++];
        }
    }
    return plain;
}

void progressLine(MkvmergeListener& listener, std::string_view text) {
    int percent = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), percent);
    if (failure == std::errc() && end != text.data())
        listener.progress(std::clamp(percent, 0, 100));
}

void warningLine(MkvmergeListener& listener, std::string_view text) {
    listener.warning(plainText(text));
}

void errorLine(MkvmergeListener& listener, std::string_view text) {
    listener.error(plainText(text));
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
