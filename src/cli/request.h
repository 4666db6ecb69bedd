#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "engine/track.h"
#include "jobs/job_request.h"

namespace splitwick::cli {

// What the command line asks for.
struct Request {
    std::string command; // "read", "demux", "rebuild", "mkv", "xpl" or "titles"
    std::string evoFile; // demux and mkv: or a disc, as titles takes it
    std::string disc;    // titles: the disc folder, its ADV_OBJ or HVDVD_TS folder, or a playlist
    // demux and mkv of a disc: the title (0: the main title), the playlist it is in (empty:
    // the main title's), and whether a clip whose EVO is missing is left out.
    int title = 0;
    std::string playlistName;
    bool allowMissing = false;
    std::string xplFile;      // the playlist that labels the streams, if any
    std::string chaptersFile; // xpl: where to write the title's chapters, if anywhere
    bool fastCheck = true;
    bool countFrames = true;
    bool continueSplit = true;
    bool json = false;
    bool tree = false;        // xpl: the tree as text after the log lines
    bool quiet = false;       // no progress on stderr
    bool keepStreams = false; // mkv: also write the streams beside the .mkv
    bool clusterCrc = false;  // mkv: a CRC-32 in every cluster
    bool dryRun = false;      // demux, rebuild, mkv: the reads and the plan, nothing written
    std::string outputFolder;
    std::string videoExt = "mpv";
    std::string audioExt = "mpa";
    std::string subExt = "sup";
    bool lpcmWav = false;    // LPCM streams written as WAV files
    bool subPgs = false;     // subpicture streams converted to PGS
    bool extByCodec = false; // stream files named by codec instead of the three extensions
    bool lpcmFlac = false;   // mkv: LPCM as FLAC
    int flacLevel = DefaultFlacLevel;
    bool dtsCore = false; // mkv: each DTS-HD track's core beside it
    // The streams the job takes; none given means every stream the reads found, an empty list
    // ("none") none.
    std::optional<std::vector<TrackName>> streams;
    // --lang: the audio and subtitle streams of these ISO 639-2 codes (lower case), as the
    // playlist gives them, and every video stream; empty when not given.
    std::vector<std::string> languages;
    // Set for --help, --help-all and --version: the text to print instead of running a command.
    std::string answer;
};

// The exit codes of a run that failed: a job's failure, a request that cannot be run.
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// A command line that cannot be understood; its text says why. The command, when one was
// recognised, is the one whose help to point at.
class UsageError : public std::runtime_error {
  public:
    explicit UsageError(const std::string& text, std::string command = "")
        : std::runtime_error(text), command_(std::move(command)) {}
    const std::string& command() const { return command_; }

  private:
    std::string command_;
};

Request parseRequest(const std::vector<std::string>& arguments);

// "video0,audio00,sub17" (stream names, or as the JSON names them: "cbAudio00", in any case;
// spaces around the commas), "all" or "none".
std::optional<std::vector<TrackName>> parseStreamList(const std::string& list);

} // namespace splitwick::cli
