#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace splitwick {

// mXPL's lines, one per tag, kept compact: text that is not XML makes a line of every ">" it
// holds, each indented by up to 128 spaces. So a line keeps its indentation as a count of
// levels and its text in one buffer shared by all lines: five bytes a line beside the text,
// which is never longer than the file. Offsets are 32-bit: the reader refuses playlists long
// before they could reach 4 GiB of text.
class MemoLines {
  public:
    static constexpr size_t IndentUnit = 2; // spaces per level

    void append(uint8_t indentLevels, std::string_view text);
    size_t size() const { return ends_.size(); }
    // The line as the memo shows it: two spaces per level of indentation, then the text.
    std::string line(size_t index) const;
    // Keeps the lines from first up to, not including, end.
    void keep(size_t first, size_t end);
    void clear();

  private:
    size_t begin(size_t index) const { return index == 0 ? 0 : ends_[index - 1]; }

    std::string text_;
    std::vector<uint32_t> ends_; // where each line's text ends in text_
    std::vector<uint8_t> indents_;
};

} // namespace splitwick
