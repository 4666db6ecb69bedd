#include "command_options.h"

#include <algorithm>

namespace splitwick::cli {

namespace {

// Options that the commands writing files share.
const OptionSpec OutOption = {'\0', "out", "DIR",
                              "Output folder (default: the current directory)."};
const OptionSpec NoContinueOption = {'\0', "no-continue", nullptr,
                                     "Do not go on into NAME_2.EVO after NAME_1.EVO."};
const OptionSpec JsonOption = {'\0', "json", nullptr,
                               "Print one JSON object instead of the log lines."};
const OptionSpec NoCountFramesOption = {'\0', "no-count-frames", nullptr,
                                        "Do not count video frames."};
const OptionSpec XplOption = {
    '\0', "xpl", "FILE.XPL",
    "Label the streams from the disc's playlist after reading the EVO, as Read XPL does in the "
    "window."};
const OptionSpec TitleOption = {
    '\0', "title", "N",
    "With a disc: the title of this number (as titles lists it) instead of the main title."};
const OptionSpec PlaylistOption = {
    '\0', "playlist", "VPLSTnnn.XPL",
    "With a disc: the playlist whose title --title names (default: the main title's)."};
const OptionSpec AllowMissingOption = {
    '\0', "allow-missing", nullptr,
    "With a disc: leave out a clip whose EVO is missing, with a line, instead of failing."};
const OptionSpec DryRunOption = {
    '\0', "dry-run", nullptr,
    "Read (and with --xpl label) as the job would, then print its plan instead of running it: "
    "the files, the tracks with codec, language, name and delay, the chapters. Writes nothing; "
    "with --json the plan is a \"plan\" member."};
const char* const StreamListHelp =
    "stream names, comma-separated: video0 and video1, audio00 to audio15, sub00 to sub31 (or as "
    "the JSON gives them, cbAudio00), e.g. video0,audio00,sub17; ";
const OptionSpec LangOption = {
    '\0', "lang", "LIST",
    "Keep the audio and subtitle streams of these languages (ISO 639-2, comma-separated, e.g. "
    "eng,fre) as the playlist gives them, and every video stream, in place of --streams. Needs a "
    "playlist: --xpl, or a disc's own."};

const std::vector<CommandSpec> Commands = {
    {"read",
     "FILE.EVO",
     "find the streams the file carries (Read EVO)",
     {{'\0', "no-fast-check", nullptr, "Read the whole file, not just its first ~300 MB."},
      NoCountFramesOption,
      {'\0', "json", nullptr,
       "Print one JSON object: log lines, streams found (box, caption, id), frame counts "
       "(null when not counted), whether the scan was cancelled, whether it stopped at the "
       "fast check's limit, the number of encrypted packs it met, and the streams' timing."},
      XplOption}},
    {"demux",
     "FILE.EVO or DISC",
     "read the file, then write each chosen stream to a file of its own; given a disc, the "
     "main title (or --title N) following its clips' EVOs into one set of files",
     {OutOption,
      TitleOption,
      PlaylistOption,
      AllowMissingOption,
      {'\0', "streams", "LIST",
       std::string("Streams to write: ") + StreamListHelp +
           "'all' (the default) writes every stream the reads found (with a playlist, every "
           "stream its title names)."},
      LangOption,
      XplOption,
      NoContinueOption,
      NoCountFramesOption,
      DryRunOption,
      {'\0', "video-ext", "E", "Extension of video streams (default mpv)."},
      {'\0', "audio-ext", "E", "Extension of audio streams (default mpa)."},
      {'\0', "sub-ext", "E", "Extension of subpicture streams (default sup)."},
      {'\0', "ext-by-codec", nullptr,
       "Name stream files by codec instead of the three extensions: m2v, h264, vc1, ac3, "
       "eac3, dts, thd, pcm (wav with --lpcm wav), sup."},
      {'\0', "lpcm", "FORMAT",
       "How LPCM streams are written: raw (the default; big-endian samples as the disc stores "
       "them) or wav (a WAV file, little-endian, which muxers take)."},
      {'\0', "sub", "FORMAT",
       "How subpicture streams are written: raw (the default; the units as the disc stores "
       "them, with a .pts file of their timestamps) or pgs (Blu-ray PGS, .sup, timed on the "
       "title's timeline, which muxers take)."},
      JsonOption}},
    {"rebuild",
     "FILE.EVO or DISC",
     "read the file, then write a copy of it that keeps the chosen streams only, renumbered "
     "(NAME.rebuilt.EVO); given a disc, its main title (or --title N) from all its clips, into "
     "TITLE.rebuilt.EVO",
     {OutOption,
      TitleOption,
      PlaylistOption,
      AllowMissingOption,
      {'\0', "streams", "LIST",
       std::string("Streams to keep: ") + StreamListHelp +
           "'all' (the default) keeps every stream the reads found, 'none' only the "
           "navigation and padding packs."},
      LangOption,
      XplOption,
      NoContinueOption,
      DryRunOption,
      JsonOption}},
    {"mkv",
     "FILE.EVO or DISC",
     "read the file once and write the chosen streams into one Matroska file "
     "(NAME.mkv), labelled, named and chaptered from the playlist given with --xpl; given a "
     "disc, its main title (or --title N) from all its clips, into TITLE.mkv",
     {OutOption,
      TitleOption,
      PlaylistOption,
      AllowMissingOption,
      {'\0', "streams", "LIST",
       std::string("Streams to mux: ") + StreamListHelp +
           "'all' (the default) muxes every stream the reads found, subpictures as PGS "
           "subtitle tracks."},
      LangOption,
      XplOption,
      NoContinueOption,
      DryRunOption,
      {'\0', "keep-streams", nullptr,
       "Also write the streams (and the chapters) beside NAME.mkv in the same pass, as demux "
       "names them; without it nothing but NAME.mkv is written."},
      {'\0', "crc", nullptr,
       "Write a CRC-32 into every cluster of NAME.mkv, so that a reader can tell a damaged "
       "cluster; it costs about a third of the mux's time, and is off by default."},
      {'\0', "lpcm", "FORMAT",
       "How LPCM streams go into NAME.mkv: pcm (the default; the samples as WAV holds them) or "
       "flac (lossless FLAC at the stream's own bit depth, 20 bits as 24)."},
      {'\0', "flac-level", "N",
       "With --lpcm flac: the compression level, 0 (fastest) to 12 (smallest); default 5."},
      {'\0', "dts-core", nullptr,
       "Beside each DTS-HD track, a DTS track of its core for players that decode no "
       "extension, named after the track with \" (core)\"; plain DTS gets none."},
      {'\0', "json", nullptr,
       "Print one JSON object instead of the log lines, with an \"mkv\" member: the file, its "
       "tracks (box, codec, language, name, delay_ms, default, forced; a core track also "
       "core: true) and its number of chapters."}}},
    {"xpl",
     "FILE.XPL",
     "read the disc's playlist (Read XPL): its tags, the title that plays the EVO given with "
     "--evo, and the labels of that title's streams",
     {{'\0', "evo", "FILE.EVO",
       "The EVO whose title to find: its name stem picks the title, as choosing it does."},
      {'\0', "json", nullptr,
       "Print one JSON object: log lines, the memo's lines, the tree, the boxes labelled "
       "(box, caption, hint, language, kind), whether the EVO's title was found, the title "
       "(name, duration) and its chapters."},
      {'\0', "tree", nullptr,
       "After the log lines, print the tree of the XPL page as indented text: Info, Video, "
       "Audio, Subtitle and Chapter, each with its entries indented by two spaces. (With "
       "--json the object holds the tree.)"},
      {'\0', "chapters", "OUT.xml",
       "Write the title's chapters as Matroska chapter XML (what mkvmerge --chapters reads). "
       "Needs --evo."}}},
    {"titles",
     "DISC",
     "list the titles of a disc (its folder, its ADV_OBJ or HVDVD_TS folder, or a playlist): "
     "duration, chapters, clips and streams, the main title marked",
     {{'\0', "json", nullptr,
       "Print one JSON object: the titles with their playlist, number, name, duration, clips "
       "(EVO, begin and end in ms, whether present), chapters, audio and subtitle streams and "
       "whether each is the main title."}}},
};

const std::vector<OptionSpec> ProgramOptions = {
    {'q', "quiet", nullptr, "Show no progress on stderr; errors still go there."},
    {'h', "help", nullptr, "Display this help and exit; after a command, that command's help."},
    {'\0', "help-all", nullptr, "Display this help with the options of every command and exit."},
    {'V', "version", nullptr, "Display the program's name and version and exit."},
};

} // namespace

const std::vector<CommandSpec>& commands() {
    return Commands;
}

const CommandSpec* findCommand(const std::string& name) {
    const auto found =
        std::find_if(Commands.begin(), Commands.end(),
                     [&](const CommandSpec& command) { return name == command.name; });
    return found == Commands.end() ? nullptr : &*found;
}

const std::vector<OptionSpec>& programOptions() {
    return ProgramOptions;
}

} // namespace splitwick::cli
