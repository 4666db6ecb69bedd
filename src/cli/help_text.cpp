#include "help_text.h"

#include <cctype>
#include <sstream>

#include "version.h"

namespace splitwick::cli {

const char* const ProgramName = "splitwick-cli";

namespace {

// The layout GNU tools use, which help2man turns into the manual page: option and command
// names from column 2, their text from column 26 (exit codes' from 8), lines of at most 79
// characters.
constexpr size_t TextColumn = 26;
constexpr size_t ExitTextColumn = 8;
constexpr size_t LineWidth = 79;

const char* const Description =
    "Split an HD DVD video file (.EVO) into its elementary streams, as the window does.";
const char* const OutputNote =
    "stdout carries the message-log lines, one per line; progress goes to stderr:\n"
    "one live line on a terminal, otherwise a line at each 5 % of the file.";

const std::pair<const char*, const char*> ExitStatus[] = {
    {"0", "done"},
    {"1", "the job failed (its error on stderr)"},
    {"2", "usage error"},
    {"130", "interrupted: Ctrl-C cancels the running pass, closes every file, and stops"},
    {"143", "interrupted by SIGTERM, as by Ctrl-C"},
    {"129", "interrupted by SIGHUP, as by Ctrl-C"},
};

// LABEL, then TEXT wrapped at the line width and indented to TEXTCOLUMN; a label too wide for
// the column puts the text on the next line.
std::string row(const std::string& label, const std::string& text, size_t textColumn = TextColumn) {
    const std::string indent(textColumn, ' ');
    std::string out = label;
    if (label.size() + 2 > textColumn)
        out += "\n" + indent;
    else
        out += std::string(textColumn - label.size(), ' ');
    size_t column = textColumn;
    std::istringstream words(text);
    std::string word;
    while (words >> word) {
        if (column > textColumn && column + 1 + word.size() > LineWidth) {
            out += "\n" + indent;
            column = textColumn;
        } else if (column > textColumn) {
            out += ' ';
            ++column;
        }
        out += word;
        column += word.size();
    }
    return out + "\n";
}

std::string optionLabel(const OptionSpec& option) {
    std::string label = option.shortName != '\0' ? std::string("  -") + option.shortName + ", "
                                                 : std::string(6, ' ');
    label += std::string("--") + option.name;
    if (option.valueName != nullptr) label += std::string(" ") + option.valueName;
    return label;
}

std::string optionRows(const std::vector<OptionSpec>& options) {
    std::string out;
    for (const OptionSpec& option : options)
        out += row(optionLabel(option), option.description);
    return out;
}

std::string usageOf(const CommandSpec& command) {
    return std::string(ProgramName) + " " + command.name + " " + command.file + " [OPTION]...";
}

// The summary as a sentence of its own.
std::string sentence(std::string text) {
    if (!text.empty())
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

} // namespace

std::string generalHelp() {
    std::string out;
    for (const CommandSpec& command : commands())
        out += (out.empty() ? "Usage: " : "  or:  ") + usageOf(command) + "\n";
    out += std::string(Description) + "\n\nCommands:\n";
    for (const CommandSpec& command : commands())
        out += row(std::string("  ") + command.name + " " + command.file, command.summary);
    out += std::string("\n") + OutputNote + "\n\nExit status:\n";
    for (const auto& [code, meaning] : ExitStatus)
        out += row(std::string("  ") + code, meaning, ExitTextColumn);
    return out + "\nOptions:\n" + optionRows(programOptions()) + "\nRun '" + ProgramName +
           " COMMAND --help' for the options of a command.\n";
}

std::string commandHelp(const CommandSpec& command) {
    return "Usage: " + usageOf(command) + "\n" + sentence(command.summary) + "\n\nOptions:\n" +
           optionRows(command.options) + optionRows(programOptions());
}

std::string allHelp() {
    std::string out = generalHelp();
    for (const CommandSpec& command : commands())
        out += std::string("\nOptions of ") + command.name + ":\n" + optionRows(command.options);
    return out;
}

std::string versionText() {
    return std::string(ProgramName) + " " + Version + "\n" + LicenceNotice;
}

std::string tryHelpLine(const std::string& command) {
    return std::string("Try '") + ProgramName + (command.empty() ? "" : " " + command) +
           " --help' for more information.\n";
}

} // namespace splitwick::cli
