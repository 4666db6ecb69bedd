#include "request.h"

#include <QCommandLineParser>
#include <QStringList>

#include <algorithm>
#include <cctype>

#include "command_options.h"
#include "help_text.h"
#include "playlist/disc_titles.h"

namespace splitwick::cli {

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

void addOptions(QCommandLineParser& parser, const std::vector<OptionSpec>& specs) {
    for (const OptionSpec& spec : specs) {
        QStringList names{spec.name};
        if (spec.shortName != '\0') names.prepend(QString(QChar(spec.shortName)));
        const QString description = QString::fromStdString(spec.description);
        if (spec.valueName != nullptr)
            parser.addOption({names, description, spec.valueName});
        else
            parser.addOption({names, description});
    }
}

// The parser's own text, except that an unknown option is named as it was written.
std::string parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) return parser.errorText().toStdString();
    const QString& name = unknown.first();
    return "Unknown option '" + std::string(name.size() == 1 ? "-" : "--") + name.toStdString() +
           "'";
}

// Whether the option was given; false for an option the command does not offer.
bool given(const QCommandLineParser& parser, const char* name) {
    return parser.optionNames().contains(name);
}

std::string value(const QCommandLineParser& parser, const char* name, std::string fallback) {
    return given(parser, name) ? parser.value(name).toStdString() : fallback;
}

// --lpcm: "wav" or "raw", the samples as the disc stores them.
bool lpcmAsWav(const std::string& format) {
    if (format != "wav" && format != "raw")
        throw UsageError("--lpcm is wav or raw, not '" + format + "'", "demux");
    return format == "wav";
}

// mkv's --lpcm: "flac" or "pcm", the samples as WAV holds them.
bool lpcmAsFlac(const std::string& format) {
    if (format != "flac" && format != "pcm")
        throw UsageError("--lpcm is pcm or flac, not '" + format + "'", "mkv");
    return format == "flac";
}

// --flac-level: 0 to MaxFlacLevel.
int flacLevel(const std::string& text) {
    const bool digits =
        !text.empty() && text.size() < 3 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!digits || std::stoi(text) > MaxFlacLevel)
        throw UsageError(
            "--flac-level is 0 to " + std::to_string(MaxFlacLevel) + ", not '" + text + "'", "mkv");
    return std::stoi(text);
}

// --title: a title's number, 1 or more; 0 when not given.
int titleNumber(const std::string& text, const std::string& command) {
    if (text.empty()) return 0;
    const bool digits =
        text.size() < 6 &&
        std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; });
    if (!digits || std::stoi(text) < 1)
        throw UsageError("--title is a title's number, not '" + text + "'", command);
    return std::stoi(text);
}

// --sub: "pgs" or "raw", the units as the disc stores them.
bool subAsPgs(const std::string& format) {
    if (format != "pgs" && format != "raw")
        throw UsageError("--sub is pgs or raw, not '" + format + "'", "demux");
    return format == "pgs";
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The stream of this name ("video0", "audio15", "sub31"): every name a stream may have.
std::optional<TrackName> trackNamed(const std::string& text) {
    for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subpicture})
        for (int number = 0; number < numbersOfKind(kind); ++number)
            if (TrackName{kind, number}.text() == text) return TrackName{kind, number};
    return std::nullopt;
}

std::vector<std::string> commaList(const std::string& list) {
    std::vector<std::string> items;
    for (size_t start = 0; start <= list.size();) {
        const size_t comma = std::min(list.find(',', start), list.size());
        items.push_back(list.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

} // namespace

std::optional<std::vector<TrackName>> parseStreamList(const std::string& list) {
    if (list == "all") return std::nullopt;
    std::vector<TrackName> names;
    if (list == "none") return names;
    for (const std::string& item : commaList(list)) {
        const std::string name = lowerCase(trimmed(item));
        // The JSON's own names (cbAudio00) are taken too.
        const std::string wanted = name.starts_with("cb") ? name.substr(2) : name;
        const std::optional<TrackName> found = trackNamed(wanted);
        if (!found)
            throw UsageError("Unknown stream '" + trimmed(item) +
                             "' in --streams: the names are video0 and video1, audio00 to "
                             "audio15, sub00 to sub31, as titles lists them");
        names.push_back(*found);
    }
    return names;
}

// "--streams video0, audio00" reaches us as "video0," and "audio00": a list that ends in a
// comma goes on in the next argument.
static QStringList joinedLists(const std::vector<std::string>& arguments) {
    QStringList args;
    bool listValue = false;  // the last argument is the value of --streams or --lang
    bool nextIsList = false; // the last argument is --streams or --lang
    for (const std::string& a : arguments) {
        const QString arg = QString::fromStdString(a);
        if (listValue && args.back().endsWith(',')) {
            args.back() += arg;
            continue;
        }
        args << arg;
        listValue = nextIsList || arg.startsWith("--streams=") || arg.startsWith("--lang=");
        nextIsList = arg == "--streams" || arg == "--lang";
    }
    return args;
}

Request parseRequest(const std::vector<std::string>& arguments) {
    const QStringList args = joinedLists(arguments);

    // First the program's own options and the command; the command's options are not known yet.
    QCommandLineParser program;
    addOptions(program, programOptions());
    const bool understood = program.parse(args);
    Request request;
    if (program.isSet("version") || program.isSet("help-all")) {
        request.answer = program.isSet("version") ? versionText() : allHelp();
        return request;
    }
    const QStringList positional = program.positionalArguments();
    request.command = positional.isEmpty() ? "" : positional.first().toStdString();
    const CommandSpec* command = findCommand(request.command);
    if (command == nullptr) {
        if (program.isSet("help")) {
            request.answer = generalHelp();
            return request;
        }
        if (!understood) throw UsageError(parseError(program));
        throw UsageError(request.command.empty() ? "No command given"
                                                 : "Unknown command '" + request.command + "'");
    }

    QCommandLineParser parser;
    addOptions(parser, programOptions());
    addOptions(parser, command->options);
    if (!parser.parse(args)) throw UsageError(parseError(parser), request.command);
    if (parser.isSet("help")) {
        request.answer = commandHelp(*command);
        return request;
    }
    const bool playlist = request.command == "xpl";
    const QStringList files = parser.positionalArguments().mid(1);
    if (files.size() != 1)
        throw UsageError(std::string("Give exactly one ") + command->file, request.command);
    if (request.command == "titles") {
        request.disc = files.first().toStdString();
        request.json = given(parser, "json");
        request.quiet = parser.isSet("quiet");
        return request;
    }
    (playlist ? request.xplFile : request.evoFile) = files.first().toStdString();
    if (playlist) {
        request.evoFile = value(parser, "evo", "");
        request.chaptersFile = value(parser, "chapters", "");
        request.tree = given(parser, "tree");
        if (!request.chaptersFile.empty() && request.evoFile.empty())
            throw UsageError("--chapters needs --evo: the EVO's title has the chapters",
                             request.command);
    } else {
        request.xplFile = value(parser, "xpl", "");
    }
    // Only Read EVO alone may stop early: the boxes must know every stream of the file.
    request.fastCheck = request.command == "read" && !given(parser, "no-fast-check");
    request.countFrames = !given(parser, "no-count-frames");
    request.json = given(parser, "json");
    // Every command offers it, and as -q too, which given() would not see.
    request.quiet = parser.isSet("quiet");
    if (request.command == "read" || playlist) return request;
    request.continueSplit = !given(parser, "no-continue");
    request.outputFolder = value(parser, "out", "");
    request.streams = parseStreamList(value(parser, "streams", "all"));
    // Found out before the file is read: a demux, and so a mux, of no stream has nothing to
    // write; only rebuild keeps packs of no stream.
    if (request.command != "rebuild" && request.streams && request.streams->empty())
        throw UsageError("--streams none leaves " + request.command + " nothing to write",
                         request.command);
    if (given(parser, "lang")) {
        for (const std::string& language : commaList(lowerCase(value(parser, "lang", ""))))
            request.languages.push_back(trimmed(language));
        if (request.xplFile.empty() && !isDiscPath(request.evoFile))
            throw UsageError("--lang needs a playlist: the streams' languages come from it (--xpl, "
                             "or a disc's own)",
                             request.command);
        if (given(parser, "streams"))
            throw UsageError("--lang and --streams cannot both be given", request.command);
    }
    request.videoExt = value(parser, "video-ext", request.videoExt);
    request.audioExt = value(parser, "audio-ext", request.audioExt);
    request.subExt = value(parser, "sub-ext", request.subExt);
    request.subPgs = subAsPgs(value(parser, "sub", "raw"));
    request.extByCodec = given(parser, "ext-by-codec");
    request.keepStreams = given(parser, "keep-streams");
    request.clusterCrc = given(parser, "crc");
    request.title = titleNumber(value(parser, "title", ""), request.command);
    if (request.title > 0 && !isDiscPath(request.evoFile))
        throw UsageError("--title needs a disc (its folder or a playlist): an EVO is one title's "
                         "part already",
                         request.command);
    request.playlistName = value(parser, "playlist", "");
    // A name in the disc's ADV_OBJ folder, not a path that leads elsewhere.
    if (request.playlistName.find('/') != std::string::npos)
        throw UsageError("--playlist is a playlist's name in the disc's ADV_OBJ folder, not '" +
                             request.playlistName + "'",
                         request.command);
    request.allowMissing = given(parser, "allow-missing");
    request.dryRun = given(parser, "dry-run");
    if (request.command == "mkv") {
        // The streams, when kept, are named by their codec.
        request.extByCodec = true;
        request.lpcmFlac = lpcmAsFlac(value(parser, "lpcm", "pcm"));
        request.flacLevel =
            flacLevel(value(parser, "flac-level", std::to_string(DefaultFlacLevel)));
        if (given(parser, "flac-level") && !request.lpcmFlac)
            throw UsageError("--flac-level needs --lpcm flac", request.command);
        request.dtsCore = given(parser, "dts-core");
    } else {
        request.lpcmWav = lpcmAsWav(value(parser, "lpcm", "raw"));
    }
    return request;
}

} // namespace splitwick::cli
