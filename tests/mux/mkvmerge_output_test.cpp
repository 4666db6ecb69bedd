// mkvmerge's GUI-mode output read in pieces as a pipe hands them over.
#include <gtest/gtest.h>

#include "mux/mkvmerge_output.h"

namespace splitwick::testing {
namespace {

class Messages : public MkvmergeListener {
  public:
    void progress(int percent) override { seen.push_back("progress " + std::to_string(percent)); }
    void warning(const std::string& text) override { seen.push_back("warning " + text); }
    void error(const std::string& text) override { seen.push_back("error " + text); }
    std::vector<std::string> seen;
};

// What mkvmerge 74 writes, its commentary lines among the messages, and an error from before
// it reads its options; the last line without its line feed.
const std::string Output = "mkvmerge v74.0.0 ('You Oughta Know') 64-bit\n"
                           "'a.mpa': Using the demultiplexer for the format 'AC-3'.\n"
                           "#GUI#progress 65%\n"
                           "#GUI#warning 'a.mpa' track 0: 5001 bytes of invalid data.\r\n"
                           "#GUI#progress 100%\n"
                           "#GUI#progress x%\n"
                           "#GUI#error The file 'b.mpa' could not be opened.\n"
                           "Error: The file 'o.json' could not be opened for reading.";

const std::vector<std::string> Expected = {
    "progress 65", "warning 'a.mpa' track 0: 5001 bytes of invalid data.", "progress 100",
    "error The file 'b.mpa' could not be opened.",
    "error The file 'o.json' could not be opened for reading."};

// Texts reach a terminal and the log: an escape sequence in them would act on the terminal, a
// control character break the line. And a progress figure beyond 0 to 100 % is no figure of a
// progress line.
TEST(MkvmergeOutputRegression, TextsLoseEscapesAndControlsAndProgressStaysWithin0To100) {
    const struct {
        const char* line;
        const char* seen;
    } rows[] = {
        {"#GUI#warning \x1B[2J\x1B[31mred\x1B[0m text", "warning red text"},
        {"#GUI#error bell\a tab\t del\x7F c1\xC2\x9B end\x1B]", "error bell  tab  del  c1  end"},
        {"#GUI#warning caf\xC3\xA9 \xC2\xA0kept", "warning caf\xC3\xA9 \xC2\xA0kept"},
        {"#GUI#warning cut short \x1B[", "warning cut short "},
        {"#GUI#progress 150%", "progress 100"},
        {"#GUI#progress -5%", "progress 0"},
    };
    for (const auto& row : rows) {
        Messages messages;
        MkvmergeOutput output(messages);
        output.feed(row.line);
        output.end();
        EXPECT_EQ(messages.seen, std::vector<std::string>{row.seen}) << row.line;
    }
}

TEST(MkvmergeOutput, MessagesSplitAnywhereComeOutWhole) {
    for (size_t cut = 0; cut <= Output.size(); ++cut) {
        Messages messages;
        MkvmergeOutput output(messages);
        output.feed(std::string_view(Output).substr(0, cut));
        output.feed(std::string_view(Output).substr(cut));
        output.end();
        EXPECT_EQ(messages.seen, Expected) << "cut at " << cut;
    }
}

} // namespace
} // namespace splitwick::testing
