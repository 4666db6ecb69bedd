#pragma once
#include <string>
#include <string_view>

namespace splitwick {

// What mkvmerge reports in its GUI mode.
class MkvmergeListener {
  public:
    virtual ~MkvmergeListener() = default;
    virtual void progress(int percent) = 0;
    virtual void warning(const std::string& text) = 0;
    virtual void error(const std::string& text) = 0;
};

// Reads mkvmerge's output as it arrives, in pieces split anywhere: the lines "#GUI#progress
// 45%", "#GUI#warning TEXT" and "#GUI#error TEXT" (or "Error: TEXT") go to the listener; its
// other lines are a running commentary for people and are passed over. Progress is held to 0
// to 100 %; texts lose escape sequences and control characters, which would act on the
// terminal they are shown in.
class MkvmergeOutput {
  public:
    explicit MkvmergeOutput(MkvmergeListener& listener) : listener_(listener) {}

    void feed(std::string_view bytes);
    // The output has ended: a last line without its line feed counts too.
    void end();

  private:
    void line(std::string_view text);

    MkvmergeListener& listener_;
    std::string partial_; // the line still waiting for its line feed
};

} // namespace splitwick
