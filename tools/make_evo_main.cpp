// splitwick-make-evo: makes EVO files of synthetic streams or of real elementary streams, and the
// exact outputs a Demux must write for them, for tests, the sample disc and benchmarks.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "evo_maker/es_evo.h"
#include "evo_maker/evo_maker.h"
#include "evo_maker/pgm_bitmap.h"
#include "evo_maker/presets.h"
#include "evo_maker/scramble.h"
#include "evo_maker/spu_maker.h"

namespace {

using namespace splitwick::maker;
using splitwick::LpcmFormat;

const char* const Help =
    R"(Usage: splitwick-make-evo --out FILE.EVO [--size SIZE] [--seed N] [--split] [--expect DIR]
                          [--scramble-from PACK]
       splitwick-make-evo --out FILE.EVO --stream CODEC FILE [STREAM OPTIONS]...
                          [--pts-base N] [--pts-jump MS:TICKS] [--split] [--expect DIR]
                          [--scramble-from PACK]

Makes HD DVD video files (.EVO: MPEG program streams of 2048-byte packs) of synthetic
streams, or of real elementary streams, for tests, demonstrations and benchmarks.

  --out FILE.EVO     make one EVO (and its folder, when missing) of a feature-like mix: VC-1
                     video in five of six packs, two DD+, one DTS-HD and one MLP audio
                     stream, two subpicture streams and a navigation pack every 128 packs;
                     with --stream, of the streams given
  --size SIZE        size of --out in bytes, or with a K, M or G suffix (1024-based);
                     default 1G
  --seed N           seed of the random content of --out; default 1
  --split            make --out a split title: FILE.EVO must end in _1.EVO; its partner
                     ending in _2.EVO gets the second half (with --stream: from the key
                     unit of video stream 0 nearest the middle of its units on)
  --scramble-from PACK
                     mark the media packets from the pack numbered PACK on as encrypted
                     (PES_scrambling_control '01'), counting the packs from 0 at the first
                     part's start on through the second part; the payloads stay as they are
  --expect DIR       also write into DIR (created when missing) the exact files that a Demux
                     of every stream writes, named as Demux names them with the default
                     extensions (FEATURE_1.MPEG-2.stream.0.mpv, FEATURE_1.DD+.stream.00.mpa,
                     FEATURE_1.Subpicture.00.sup and .pts, ...): for each part alone and,
                     for a split title, for both parts together (FEATURE_1_2....)
  --help             show this text

Elementary streams. With --stream the EVO is laid out as an HD DVD muxer lays it out: one
packet a pack, interleaved by decoding time, each picture and each subpicture unit beginning
a packet of its own; a navigation pack with the system header at the start and before every
key unit of video stream 0; a PTS, and a DTS where it differs, on each packet in which a unit
begins; audio and subpictures in private stream 1 behind their sub-stream header; SCR at the mux rate, or later where data
would come more than 0.5 s early.

  --stream CODEC FILE  a stream: CODEC is mpeg2, h264, vc1, ac3, eac3, dts, truehd, lpcm or
                       spu, and FILE its elementary stream (vc1: Advanced Profile as SMPTE 421M
                       Annex E lays it out; lpcm: samples coded as DVD LPCM, which at 16 bits
                       is plain big-endian; spu: HD DVD subpicture units, one unit a line of
                       the unit list); one stream must be video stream 0.
                       spu synthetic:N[:SEED] makes N units, one each 1.1 s, and writes them
                       with their unit list beside FILE.EVO (FILE.spu0.es, FILE.spu0.units):
                       odd sizes, runs of every length, both colour codes, grey palette with
                       entry 255 opaque, every third unit forced, every fourth with fades.
                       spu captions:DIR makes a unit of each grey map DIR/*.pgm (binary PGM),
                       in name order, one each 2 s, each shown for 1.5 s, centred near the
                       foot of the picture: grey levels below 64 half transparent, the rest
                       opaque.
                       The options up to the next --stream apply to this stream:
  --units FILE       its unit list (every codec but lpcm, whose units are 1/1200 s; vc1
                     without it: found in the stream, presented as a decoder shows them at
                     the sequence header's frame rate)
  --id ID            its stream_id (video; vc1: its stream_id_extension) or sub-stream id
                     (audio), e.g. 0xC1; default the codec's first whose box is free (0xE0
                     mpeg2, 0xE2 h264, 0x55 vc1, 0x80 ac3, 0xC0 eac3, 0x88 dts, 0xB0 truehd,
                     0xA0 lpcm, 0x20 spu)
  --start MS         the PTS of its first presented unit less that of video stream 0's
                     first presented frame, in ms (below 0: before the picture); default 0
  --start-ticks N    the same in 90 kHz ticks
  --lpcm BITS,RATE,CHANNELS
                     how lpcm samples are coded: 16, 20 or 24 bits, 48000 or 96000 Hz,
                     1 to 8 channels; default 16,48000,2
  --no-pts           its packets carry no PTS or DTS
  --pts-error UNIT:TICKS, --dts-error UNIT:TICKS
                     the packet where unit UNIT (counting from 0 in the unit list) begins
                     carries a PTS (a DTS) TICKS off its true time, as damage leaves it; a
                     packet with a PTS alone carries the PTS error in both; repeatable
  --pts-base N       the PTS of video stream 0's first presented frame, below 2^33;
                     default 90000 (8589934592 less a little crosses the wrap)
  --pts-jump MS:TICKS
                     the packets of every unit decoded MS ms or more after video stream 0's
                     first presented frame carry timestamps TICKS later (wrapped to 33
                     bits): a clock that restarts mid-title
The packets are laid out by the true times whatever they carry.

A unit list is a text file: a line "timebase NUM/DEN" (the seconds of one timestamp unit),
then a line "OFFSET SIZE PTS DTS [key]" for every unit (frame) in file order, covering the
stream without gaps; "key" marks a unit a decoder can start at. The packets of ffmpeg's
framecrc muxer give its figures: ffmpeg ... -f tee "[f=h264]v.h264|[f=framecrc]v.crc".

Beside the EVO the maker writes STEM.expected.json, what a reader must find in it:
  {"video_frame_rate": "24000/1001", "pts_base": 90000,
   "streams": [{"box": "cbAudio00", "codec": "ac3", "id": 128, "es": FILE,
                "start_ticks": 9000}, ...],
   "parts": [{"file": EVO, "reference_pts": N, "last_video_pts": N,
              "streams": [{"box": "cbAudio00", "first_pts": N, "delay_ms": 100,
                           "es_begin": 0, "es_end": N}, ...]}, ...]}
reference_pts is the smallest PTS of video stream 0 among its units decoded within one
second of its first (its first presented frame); first_pts the first PTS the stream's
packets carry; delay_ms first_pts less reference_pts in ms, rounded to the nearest (halves
away from 0); es_begin and es_end the bytes of FILE that the part carries, which a Demux of
the part writes out. PTS have 33 bits; null where the part has none. A split title's delays
are those of its first part.

Prints each file made with its size and the frames a scan counts in it.
Exit status: 0 made, 1 a file could not be read or written, 2 usage error.
)";

struct UsageError {
    std::string text;
};

struct StreamOptions {
    EsStream stream;
    bool idGiven = false;
};

struct Options {
    std::optional<std::string> out, expect;
    std::optional<int64_t> size;
    std::optional<uint64_t> seed;
    std::optional<int64_t> scrambleFrom;
    bool split = false;
    std::vector<StreamOptions> streams;
    uint64_t ptsBase = 90000;
    std::optional<PtsJump> ptsJump;
};

// A whole number, with a K, M or G suffix (1024-based) where units are allowed.
int64_t parseNumber(const std::string& text, bool units = false) {
    static const std::map<char, int64_t> Units = {{'K', 1 << 10}, {'M', 1 << 20}, {'G', 1 << 30}};
    size_t used = 0;
    int64_t number = -1;
    try {
        number = std::stoll(text, &used);
    } catch (const std::exception&) {
    }
    int64_t unit = 1;
    const char suffix = used < text.size() ? char(std::toupper(text[used])) : '\0';
    if (units && used + 1 == text.size() && Units.count(suffix)) {
        unit = Units.at(suffix);
        ++used;
    }
    if (number < 0 || used != text.size()) throw UsageError{"not a number: " + text};
    return number * unit;
}

// A number that may be negative, decimal or hexadecimal (0x...).
int64_t parseSigned(const std::string& text) {
    size_t used = 0;
    int64_t number = 0;
    try {
        number = std::stoll(text, &used, 0);
    } catch (const std::exception&) {
    }
    if (used == 0 || used != text.size()) throw UsageError{"not a number: " + text};
    return number;
}

// "A:B", two numbers that may be negative.
std::pair<int64_t, int64_t> parsePair(const std::string& option, const std::string& text) {
    const size_t colon = text.find(':');
    if (colon == std::string::npos) throw UsageError{option + " is A:B, e.g. 40:-90000: " + text};
    return {parseSigned(text.substr(0, colon)), parseSigned(text.substr(colon + 1))};
}

LpcmFormat parseLpcm(const std::string& text) {
    LpcmFormat format{};
    char comma1 = 0, comma2 = 0;
    std::istringstream in(text);
    std::string rest;
    if (!(in >> format.bitsPerSample >> comma1 >> format.sampleRate >> comma2 >> format.channels) ||
        comma1 != ',' || comma2 != ',' || in >> rest)
        throw UsageError{"--lpcm is BITS,RATE,CHANNELS, e.g. 16,48000,2: " + text};
    return format;
}

// An option that belongs to the last --stream; false when arg is none of them.
bool parseStreamOption(const std::string& arg, const std::function<std::string()>& value,
                       Options& options) {
    static const std::set<std::string> Names = {"--units",       "--id",       "--start",
                                                "--start-ticks", "--lpcm",     "--no-pts",
                                                "--pts-error",   "--dts-error"};
    if (!Names.count(arg)) return false;
    if (options.streams.empty()) throw UsageError{arg + " belongs to a --stream before it"};
    StreamOptions& s = options.streams.back();
    if (arg == "--units") {
        s.stream.units = value();
    } else if (arg == "--id") {
        const int64_t id = parseSigned(value());
        if (id < 0 || id > 0xFF) throw UsageError{"a stream id is a byte"};
        s.stream.id = uint8_t(id);
        s.idGiven = true;
    } else if (arg == "--start") {
        s.stream.start = parseSigned(value()) * 90;
    } else if (arg == "--start-ticks") {
        s.stream.start = parseSigned(value());
    } else if (arg == "--no-pts") {
        s.stream.timestamps = false;
    } else if (arg == "--pts-error" || arg == "--dts-error") {
        const auto [unit, ticks] = parsePair(arg, value());
        if (unit < 0) throw UsageError{arg + " names a unit from 0 on"};
        s.stream.stampErrors.push_back({size_t(unit), ticks, arg == "--dts-error"});
    } else {
        s.stream.lpcm = parseLpcm(value());
    }
    return true;
}

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const std::function<std::string()> value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        if (parseStreamOption(arg, value, options)) continue;
        if (arg == "--stream") {
            const std::string name = value();
            const std::optional<Codec> codec = esCodecNamed(name);
            if (!codec) throw UsageError{"no such codec for --stream: " + name};
            EsStream stream{*codec, 0, value(), ""};
            options.streams.push_back({stream, false});
        } else if (arg == "--pts-base")
            options.ptsBase = uint64_t(parseNumber(value()));
        else if (arg == "--pts-jump") {
            const auto [ms, ticks] = parsePair(arg, value());
            options.ptsJump = PtsJump{ms * 90, ticks};
        } else if (arg == "--out")
            options.out = value();
        else if (arg == "--expect")
            options.expect = value();
        else if (arg == "--size")
            options.size = parseNumber(value(), true);
        else if (arg == "--seed")
            options.seed = uint64_t(parseNumber(value()));
        else if (arg == "--scramble-from")
            options.scrambleFrom = parseNumber(value());
        else if (arg == "--split")
            options.split = true;
        else
            throw UsageError{"unknown option " + arg};
    }
    if (!options.out) throw UsageError{"give --out"};
    if (options.ptsJump && options.streams.empty())
        throw UsageError{"--pts-jump goes with --stream"};
    if (!options.streams.empty() && (options.size || options.seed))
        throw UsageError{"--stream goes with --out alone, not with --size or --seed"};
    return options;
}

// The recipe of the --stream options, each stream without an --id given the first free one.
EsRecipe esRecipe(const Options& options) {
    EsRecipe recipe;
    recipe.ptsBase = options.ptsBase;
    recipe.parts = options.split ? 2 : 1;
    recipe.ptsJump = options.ptsJump;
    std::vector<EsStream> known; // the streams whose ids are chosen
    for (const StreamOptions& s : options.streams)
        if (s.idGiven) known.push_back(s.stream);
    for (const StreamOptions& s : options.streams) {
        EsStream stream = s.stream;
        if (!s.idGiven) {
            stream.id = nextFreeId(stream.codec, known);
            known.push_back(stream);
        }
        recipe.streams.push_back(stream);
    }
    return recipe;
}

// --scramble-from, once the parts are made.
void scramble(const Options& options, const MadeEvo& made) {
    if (!options.scrambleFrom) return;
    std::vector<std::string> parts;
    for (const MadePart& part : made.parts)
        parts.push_back(part.path);
    std::cout << scrambleFrom(parts, *options.scrambleFrom) << " packets marked scrambled\n";
}

void report(const MadeEvo& made) {
    for (const MadePart& part : made.parts) {
        std::cout << part.path << ": " << part.size << " bytes";
        for (int i = 0; i < 2; ++i)
            if (part.frames[i] > 0)
                std::cout << ", " << part.frames[i] << " frames in video stream " << i;
        std::cout << "\n";
    }
    if (!made.expectedFiles.empty())
        std::cout << made.expectedFiles.size() << " expected outputs written\n";
}

void createFolderOf(const std::string& path) {
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder);
}

// The units of a made subpicture stream and their spacing: "synthetic:N[:SEED]" (seed by default
// the stream's place) or "captions:DIR"; none for a stream of a file.
std::optional<std::pair<std::vector<SpuUnitRecipe>, int64_t>> madeSpus(const std::string& name,
                                                                       uint64_t seed) {
    constexpr int64_t SyntheticSpacing = 99000, CaptionSpacing = 180000;
    const std::string synthetic = "synthetic:", captions = "captions:";
    if (name.rfind(captions, 0) == 0) {
        std::vector<std::string> files;
        const std::string folder = name.substr(captions.size());
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(folder, error))
            if (entry.path().extension() == ".pgm") files.push_back(entry.path().string());
        if (error || files.empty()) throw UsageError{"no grey maps (.pgm) in " + folder};
        std::sort(files.begin(), files.end());
        std::vector<SpuBitmap> bitmaps;
        for (const std::string& file : files)
            bitmaps.push_back(readPgm(file));
        return std::pair(captionSpus(bitmaps, CaptionSpacing), CaptionSpacing);
    }
    if (name.rfind(synthetic, 0) != 0) return std::nullopt;
    std::istringstream in(name.substr(synthetic.size()));
    int count = 0;
    char colon = 0;
    if (!(in >> count) || count < 1 || (in >> colon && (colon != ':' || !(in >> seed))))
        throw UsageError{"spu synthetic:N[:SEED], N above 0: " + name};
    return std::pair(syntheticSpus(count, seed, SyntheticSpacing), SyntheticSpacing);
}

// The subpicture streams the maker makes, written beside the EVO, in place of their names.
std::vector<StreamOptions> withMadeSpus(const Options& options) {
    std::vector<StreamOptions> streams = options.streams;
    for (size_t i = 0; i < streams.size(); ++i) {
        EsStream& s = streams[i].stream;
        if (s.codec != Codec::Subpicture) continue;
        const auto made = madeSpus(s.es, i + 1);
        if (!made) continue;
        const std::string stem = *options.out + ".spu" + std::to_string(i);
        s.es = stem + ".es";
        s.units = stem + ".units";
        writeSpuStream(made->first, made->second, s.es, s.units);
    }
    return streams;
}

int run(Options options) {
    if (options.expect) std::filesystem::create_directories(*options.expect);
    const std::string expect = options.expect.value_or("");
    if (!options.streams.empty()) {
        createFolderOf(*options.out);
        options.streams = withMadeSpus(options);
        const MadeEsEvo made = makeEsEvo(esRecipe(options), *options.out, expect);
        report(made.evo);
        std::cout << "expected data: " << made.expectedData << "\n";
        scramble(options, made.evo);
        return 0;
    }
    Recipe recipe =
        featureRecipe(options.size.value_or(int64_t(1) << 30), options.seed.value_or(1));
    recipe.parts = options.split ? 2 : 1;
    const std::string path = *options.out;
    createFolderOf(path);
    const MadeEvo made = makeEvo(recipe, path, expect);
    report(made);
    scramble(options, made);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args)
        if (arg == "--help") {
            std::cout << Help;
            return 0;
        }
    try {
        return run(parseOptions(args));
    } catch (const UsageError& e) {
        std::cerr << "splitwick-make-evo: " << e.text << "\nTry --help.\n";
        return 2;
    } catch (const std::invalid_argument& e) {
        std::cerr << "splitwick-make-evo: " << e.what() << "\n";
        return 2;
    } catch (const std::exception& e) {
        std::cerr << "splitwick-make-evo: " << e.what() << "\n";
        return 1;
    }
}
