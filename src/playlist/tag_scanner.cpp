#include "tag_scanner.h"

#include <algorithm>

namespace splitwick {

namespace {

const std::string IndentUnit = "  ";
// Text that is not XML can open thousands of elements it never closes; deeper lines are
// indented as this level, so the memo grows with the file and not with its square.
constexpr int64_t MaxIndentLevels = 64;

} // namespace

void TagScanner::feed(std::span<const uint8_t> bytes) {
    for (uint8_t c : bytes)
        feed(c);
}

void TagScanner::feed(uint8_t c) {
    if (c == '<') {
        inTag_ = true;
        ++depth_;
    }
    if (inTag_) {
        // Line breaks, tabs and other control bytes fold into one space; UTF-8 passes as is.
        if (c >= 32)
            tag_ += static_cast<char>(c);
        else if (tag_.empty() || tag_.back() != ' ')
            tag_ += ' ';
    }
    if (c == '/' && previous_ == '<') {
        // A closing tag stands at its opening tag's indentation.
        depth_ -= 2;
        tag_.erase(0, IndentUnit.size());
    }
    // Also outside a tag: a ">" in character data ends a line of indentation only.
    if (c == '>') endLine();
    beforePrevious_ = previous_;
    previous_ = c;
}

void TagScanner::endLine() {
    inTag_ = false;
    const std::string line = std::move(tag_);
    tag_.clear();
    onLine_(line);
    // "/>" empty element, "?>" processing instruction, "-->" end of a comment: nothing stays open.
    if (previous_ == '/') --depth_;
    if (previous_ == '?') --depth_;
    if (previous_ == '-' && beforePrevious_ == '-') --depth_;
    for (int64_t level = 0; level < std::min(depth_, MaxIndentLevels); ++level)
        tag_ += IndentUnit;
}

} // namespace splitwick
