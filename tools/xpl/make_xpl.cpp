// splitwick-make-xpl [--encoded] OUT.XPL STEM[=HH:MM:SS:FF]...: writes a disc playlist with one
// title per EVO stem (NAME_2 after NAME_1 being the second part of its title), with languages
// and chapters, for the sample disc's ADV_OBJ/VPLST000.XPL. A stem's time is the length of its
// EVO on a 60fps timeline (ten minutes when not given); --encoded describes the streams of the
// sample made of encoded streams instead of the synthetic one's.
#include <cstdio>
#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "playlist_writer.h"

namespace {

using namespace splitwick::testing;

const char* const Usage = "usage: splitwick-make-xpl [--encoded] OUT.XPL STEM[=HH:MM:SS:FF]...\n";

// "HH:MM:SS:FF" as counts of a 60fps timeline; none when it is no such time.
std::optional<int64_t> countsOf(const std::string& text) {
    int hours = 0, minutes = 0, seconds = 0, frames = 0, used = 0;
    if (std::sscanf(text.c_str(), "%2d:%2d:%2d:%2d%n", &hours, &minutes, &seconds, &frames,
                    &used) != 4 ||
        size_t(used) != text.size() || minutes > 59 || seconds > 59 || frames > 59)
        return std::nullopt;
    return ((int64_t(hours) * 60 + minutes) * 60 + seconds) * 60 + frames;
}

std::optional<PlaylistClip> clipOf(const std::string& arg) {
    const size_t equals = arg.find('=');
    if (equals == std::string::npos) return PlaylistClip{arg, TenMinutes};
    const std::optional<int64_t> length = countsOf(arg.substr(equals + 1));
    if (!length || *length == 0) return std::nullopt;
    return PlaylistClip{arg.substr(0, equals), *length};
}

} // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool encoded = !args.empty() && args.front() == "--encoded";
    if (encoded) args.erase(args.begin());
    if (args.size() < 2) {
        std::cerr << Usage;
        return 2;
    }
    std::vector<PlaylistClip> clips;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::optional<PlaylistClip> clip = clipOf(args[i]);
        if (!clip) {
            std::cerr << "not a stem with a length above 0 (FEATURE_1=00:00:12:00): " << args[i]
                      << "\n"
                      << Usage;
            return 2;
        }
        clips.push_back(*clip);
    }
    try {
        writeTextFile(args.front(),
                      xmlDocument(discPlaylist(clips, encoded ? encodedDisc() : syntheticDisc())));
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return 1;
    }
    return 0;
}
