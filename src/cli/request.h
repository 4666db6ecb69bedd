#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "engine/boxes.h"

namespace splitwick::cli {

// What the command line asks for.
struct Request {
    std::string command; // "read", "demux", "rebuild" or "xpl"
    std::string evoFile;
    std::string xplFile;      // the playlist that labels the streams, if any
    std::string chaptersFile; // xpl: where to write the title's chapters, if anywhere
    bool fastCheck = true;
    bool countFrames = true;
    bool continueSplit = true;
    bool json = false;
    std::string outputFolder;
    std::string videoExt = "mpv";
    std::string audioExt = "mpa";
    std::string subExt = "sup";
    // The boxes to tick before the job; none given means every box the reads enabled.
    std::optional<std::vector<Box>> streams;
    // Set when the user asked for --help: the text to print.
    std::string help;
};

// A command line that cannot be understood; its text says why.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

Request parseRequest(const std::vector<std::string>& arguments);

// "video0,audio00,sub03" (box names without "cb", in lower case) or "all".
std::optional<std::vector<Box>> parseStreamList(const std::string& list);

} // namespace splitwick::cli
