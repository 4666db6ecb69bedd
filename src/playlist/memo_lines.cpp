#include "memo_lines.h"

#include <cstddef>

namespace splitwick {

void MemoLines::append(uint8_t indentLevels, std::string_view text) {
    text_ += text;
    ends_.push_back(static_cast<uint32_t>(text_.size()));
    indents_.push_back(indentLevels);
}

std::string MemoLines::line(size_t index) const {
    const size_t from = begin(index);
    std::string line(indents_[index] * IndentUnit, ' ');
    line.append(text_, from, ends_[index] - from);
    return line;
}

void MemoLines::keep(size_t first, size_t end) {
    const uint32_t from = static_cast<uint32_t>(begin(first));
    text_ = text_.substr(from, begin(end) - from);
    ends_.erase(ends_.begin() + static_cast<ptrdiff_t>(end), ends_.end());
    ends_.erase(ends_.begin(), ends_.begin() + static_cast<ptrdiff_t>(first));
    for (uint32_t& lineEnd : ends_)
        lineEnd -= from;
    indents_.erase(indents_.begin() + static_cast<ptrdiff_t>(end), indents_.end());
    indents_.erase(indents_.begin(), indents_.begin() + static_cast<ptrdiff_t>(first));
}

void MemoLines::clear() {
    text_.clear();
    ends_.clear();
    indents_.clear();
}

} // namespace splitwick
