#include "request.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cctype>
#include <map>

namespace splitwick::cli {

namespace {

const char* const Summary =
    "Splits an HD DVD video file (.EVO) into its elementary streams, as the window does.\n"
    "\n"
    "Commands:\n"
    "  read FILE.EVO    find the streams the file carries (Read EVO)\n"
    "  demux FILE.EVO   read the file, then write each chosen stream to a file of its own\n"
    "  rebuild FILE.EVO read the file, then write a copy of it that keeps the chosen streams\n"
    "                   only, renumbered (NAME.rebuilt.EVO)\n"
    "  xpl FILE.XPL     read the disc's playlist (Read XPL): its tags, the title that plays\n"
    "                   the EVO given with --evo, and the labels of that title's streams\n"
    "\n"
    "stdout carries the message-log lines, one per line; progress goes to stderr.\n"
    "Exit codes: 0 done, 1 the job failed (its error on stderr), 2 usage error,\n"
    "130, 143 or 129 interrupted by Ctrl-C, SIGTERM or SIGHUP (the running pass is cancelled,\n"
    "every file closed, and no further job starts).\n"
    "Run 'splitwick-cli COMMAND --help' for the options of a command.";

struct OptionSpec {
    const char* name;
    const char* valueName; // nullptr for a flag
    std::string description;
};

// Options that the commands writing files share.
const OptionSpec OutOption = {"out", "DIR", "Output folder (default: the current directory)."};
const OptionSpec NoContinueOption = {"no-continue", nullptr,
                                     "Do not go on into NAME_2.EVO after NAME_1.EVO."};
const OptionSpec JsonOption = {"json", nullptr, "Print one JSON object instead of the log lines."};
const OptionSpec XplOption = {
    "xpl", "FILE.XPL",
    "Label the streams from the disc's playlist after reading the EVO, as Read XPL does in the "
    "window."};
const char* const StreamListHelp =
    "box names without \"cb\" in lower case, comma-separated, e.g. video0,audio00,sub03; ";

const std::map<std::string, std::vector<OptionSpec>> CommandOptions = {
    {"read",
     {{"no-fast-check", nullptr, "Read the whole file, not just its first ~300 MB."},
      {"no-count-frames", nullptr, "Do not count video frames."},
      {"json", nullptr,
       "Print one JSON object: log lines, streams found (box, caption, id), frame counts, "
       "and whether the scan was cancelled."},
      XplOption}},
    {"demux",
     {OutOption,
      {"streams", "LIST",
       (std::string("Streams to write: ") + StreamListHelp +
        "'all' (the default) writes every stream the reads enabled.")},
      XplOption,
      NoContinueOption,
      {"no-count-frames", nullptr, "Do not count video frames."},
      {"video-ext", "E", "Extension of video streams (default mpv)."},
      {"audio-ext", "E", "Extension of audio streams (default mpa)."},
      {"sub-ext", "E", "Extension of subpicture streams (default sup)."},
      JsonOption}},
    {"rebuild",
     {OutOption,
      {"streams", "LIST",
       (std::string("Streams to keep: ") + StreamListHelp +
        "'all' (the default) keeps every stream the reads enabled.")},
      XplOption,
      NoContinueOption,
      JsonOption}},
    {"xpl",
     {{"evo", "FILE.EVO",
       "The EVO whose title to find: its name stem picks the title, as choosing it does."},
      {"json", nullptr,
       "Print one JSON object: log lines, the memo's lines, the tree, the boxes labelled "
       "(box, caption, hint) and whether the EVO's title was found."}}},
};

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void addOptions(QCommandLineParser& parser, const std::vector<OptionSpec>& specs) {
    for (const OptionSpec& spec : specs) {
        if (spec.valueName != nullptr)
            parser.addOption({spec.name, QString::fromStdString(spec.description), spec.valueName});
        else
            parser.addOption({spec.name, QString::fromStdString(spec.description)});
    }
}

// Whether the option was given; false for an option the command does not offer.
bool given(const QCommandLineParser& parser, const char* name) {
    return parser.optionNames().contains(name);
}

std::string value(const QCommandLineParser& parser, const char* name, std::string fallback) {
    return given(parser, name) ? parser.value(name).toStdString() : fallback;
}

} // namespace

std::optional<std::vector<Box>> parseStreamList(const std::string& list) {
    if (list == "all") return std::nullopt;
    std::vector<Box> boxes;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string name = list.substr(start, comma - start);
        const auto& all = allBoxes();
        const auto box = std::find_if(all.begin(), all.end(),
                                      [&](Box b) { return lowerCase(boxName(b)) == "cb" + name; });
        if (box == all.end()) throw UsageError("Unknown stream '" + name + "' in --streams");
        boxes.push_back(*box);
        start = comma + 1;
    }
    return boxes;
}

Request parseRequest(const std::vector<std::string>& arguments) {
    QStringList args;
    for (const std::string& a : arguments)
        args << QString::fromStdString(a);

    QCommandLineParser parser;
    parser.setApplicationDescription(Summary);
    const QCommandLineOption help = parser.addHelpOption();
    parser.addPositionalArgument("command", "read, demux, rebuild or xpl");
    parser.parse(args);
    const QStringList positional = parser.positionalArguments();
    Request request;
    request.command = positional.isEmpty() ? "" : positional.first().toStdString();
    const auto options = CommandOptions.find(request.command);
    if (options == CommandOptions.end()) {
        if (parser.isSet(help) || request.command.empty()) {
            request.help = parser.helpText().toStdString();
            if (!parser.isSet(help)) throw UsageError("No command given\n" + request.help);
            return request;
        }
        throw UsageError("Unknown command '" + request.command + "'");
    }

    parser.clearPositionalArguments();
    parser.addPositionalArgument(QString::fromStdString(request.command), "The command.");
    const bool playlist = request.command == "xpl";
    const QString file = playlist ? "FILE.XPL" : "FILE.EVO";
    parser.addPositionalArgument(file, playlist ? "The playlist file." : "The EVO file.");
    addOptions(parser, options->second);
    if (!parser.parse(args)) throw UsageError(parser.errorText().toStdString());
    if (parser.isSet(help)) {
        request.help = parser.helpText().toStdString();
        return request;
    }
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1) throw UsageError("Give exactly one " + file.toStdString());
    (playlist ? request.xplFile : request.evoFile) = files.first().toStdString();
    if (playlist)
        request.evoFile = value(parser, "evo", "");
    else
        request.xplFile = value(parser, "xpl", "");
    // Only Read EVO alone may stop early: the boxes must know every stream of the file.
    request.fastCheck = request.command == "read" && !given(parser, "no-fast-check");
    request.countFrames = !given(parser, "no-count-frames");
    request.json = given(parser, "json");
    if (request.command == "read" || playlist) return request;
    request.continueSplit = !given(parser, "no-continue");
    request.outputFolder = value(parser, "out", "");
    request.streams = parseStreamList(value(parser, "streams", "all"));
    request.videoExt = value(parser, "video-ext", request.videoExt);
    request.audioExt = value(parser, "audio-ext", request.audioExt);
    request.subExt = value(parser, "sub-ext", request.subExt);
    return request;
}

} // namespace splitwick::cli
