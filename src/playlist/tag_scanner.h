#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace splitwick {

// Cuts XML text into tags without parsing it: every ">" ends one line that holds the tag
// indented by one level per open element, its line breaks folded into single spaces. The
// state runs on from one chunk to the next, so a tag may span chunks.
class TagScanner {
  public:
    // A line is shown as two spaces per level, then its text.
    using LineHandler = std::function<void(uint8_t indentLevels, const std::string& text)>;
    explicit TagScanner(LineHandler onLine) : onLine_(std::move(onLine)) {}

    void feed(std::span<const uint8_t> bytes);

  private:
    void feed(uint8_t c);
    void endLine();

    LineHandler onLine_;
    uint8_t indent_ = 0; // of the line being collected
    std::string tag_;
    bool inTag_ = false;
    int64_t depth_ = 0;
    // The two bytes before the current one; 0 matches none of the marks tested.
    uint8_t previous_ = 0;
    uint8_t beforePrevious_ = 0;
};

} // namespace splitwick
