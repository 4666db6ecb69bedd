#include "tag_scanner.h"

#include <algorithm>

#include "memo_lines.h"

namespace splitwick {

namespace {

// Text that is not XML can open thousands of elements it never closes; deeper lines are
// indented as this level, so a line of indentation stays short.
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
        // A closing tag stands at its opening tag's indentation: one unit goes from the line's
        // start, taken from the text itself when the line has no indentation.
        depth_ -= 2;
        if (indent_ > 0)
            --indent_;
        else
            tag_.erase(0, MemoLines::IndentUnit);
    }
    // Also outside a tag: a ">" in character data ends a line of indentation only.
    if (c == '>') endLine();
    beforePrevious_ = previous_;
    previous_ = c;
}

void TagScanner::endLine() {
    inTag_ = false;
    onLine_(indent_, tag_);
    tag_.clear();
    // "/>" empty element, "?>" processing instruction, "-->" end of a comment: nothing stays open.
    if (previous_ == '/') --depth_;
    if (previous_ == '?') --depth_;
    if (previous_ == '-' && beforePrevious_ == '-') --depth_;
    indent_ = static_cast<uint8_t>(std::clamp<int64_t>(depth_, 0, MaxIndentLevels));
}

} // namespace splitwick
