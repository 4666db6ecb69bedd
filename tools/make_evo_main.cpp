// splitwick-make-evo: makes EVO files of synthetic streams, and the exact outputs a Demux must
// write for them, for tests, the sample disc and benchmarks.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "evo_maker/evo_maker.h"
#include "evo_maker/presets.h"

namespace {

using namespace splitwick::maker;

const char* const Help = R"(Usage: splitwick-make-evo --sample-disc DIR [--expect DIR]
       splitwick-make-evo --out FILE.EVO [--size SIZE] [--seed N] [--split] [--expect DIR]

Makes HD DVD video files (.EVO: MPEG program streams of 2048-byte packs) of synthetic
streams, for tests, demonstrations and benchmarks.

  --sample-disc DIR  make DIR/HVDVD_TS/FEATURE_1.EVO and DIR/HVDVD_TS/FEATURE_2.EVO, a split
                     title of MPEG-2 video, two DD+ audio streams, one DTS-HD audio stream
                     and one subpicture stream, about 5 MiB per part
  --out FILE.EVO     make one EVO (and its folder, when missing) of a feature-like mix: VC-1
                     video in five of six packs, two DD+, one DTS-HD and one MLP audio
                     stream, two subpicture streams and a navigation pack every 128 packs
  --size SIZE        size of --out in bytes, or with a K, M or G suffix (1024-based);
                     default 1G
  --seed N           seed of the random content of --out; default 1
  --split            make --out a split title: FILE.EVO must end in _1.EVO; its partner
                     ending in _2.EVO gets the second half
  --expect DIR       also write into DIR (created when missing) the exact files that a Demux
                     of every stream writes, named as Demux names them with the default
                     extensions (FEATURE_1.MPEG-2.stream.0.mpv, FEATURE_1.DD+.stream.00.mpa,
                     FEATURE_1.Subpicture.00.sup and .pts, ...): for each part alone and,
                     for a split title, for both parts together (FEATURE_1_2....)
  --help             show this text

Prints each file made with its size and the frames a scan counts in it.
Exit status: 0 made, 1 a file could not be written, 2 usage error.
)";

struct UsageError {
    std::string text;
};

struct Options {
    std::optional<std::string> sampleDisc, out, expect;
    int64_t size = int64_t(1) << 30;
    uint64_t seed = 1;
    bool split = false;
};

// A whole number, with a K, M or G suffix (1024-based) where units are allowed.
int64_t parseNumber(const std::string& text, bool units) {
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

Options parseOptions(const std::vector<std::string>& args) {
    Options options;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= args.size()) throw UsageError{arg + " needs a value"};
            return args[++i];
        };
        if (arg == "--sample-disc")
            options.sampleDisc = value();
        else if (arg == "--out")
            options.out = value();
        else if (arg == "--expect")
            options.expect = value();
        else if (arg == "--size")
            options.size = parseNumber(value(), true);
        else if (arg == "--seed")
            options.seed = uint64_t(parseNumber(value(), false));
        else if (arg == "--split")
            options.split = true;
        else
            throw UsageError{"unknown option " + arg};
    }
    if (options.sampleDisc.has_value() == options.out.has_value())
        throw UsageError{"give either --sample-disc or --out"};
    return options;
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

int run(const Options& options) {
    Recipe recipe;
    std::string path;
    if (options.sampleDisc) {
        recipe = sampleDiscRecipe();
        const std::filesystem::path folder =
            std::filesystem::path(*options.sampleDisc) / "HVDVD_TS";
        std::filesystem::create_directories(folder);
        path = (folder / "FEATURE_1.EVO").string();
    } else {
        recipe = featureRecipe(options.size, options.seed);
        recipe.parts = options.split ? 2 : 1;
        path = *options.out;
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        if (!folder.empty()) std::filesystem::create_directories(folder);
    }
    if (options.expect) std::filesystem::create_directories(*options.expect);
    report(makeEvo(recipe, path, options.expect.value_or("")));
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
