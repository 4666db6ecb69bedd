// Read EVO and Demux on a file made from the input, in a folder of their own. Whatever the bytes
// and the caption, the jobs end normally or with a JobError, leave nothing open, leave the source
// as it was, and make nothing but files directly in the output folder, under names that are safe
// and fit; the names they tell as created are the names on disk.
//
// Input: a flags byte, a length byte and that many caption bytes, then the EVO.
//   bit 0      a split title: the EVO's first half is NAME_1.EVO, the rest NAME_2.EVO
//   bit 1      count frames
//   bit 2      the caption is the audio extension too
//   bits 3-7   the stream, by name in track order, that the playlist labels with the caption
#include <locale.h>

#include <cwchar>
#include <filesystem>
#include <map>

#include "engine/job_error.h"
#include "fuzz_check.h"
#include "jobs/demux_job.h"
#include "jobs/output_names.h"
#include "jobs/read_evo.h"
#include "support/recording_events.h"
#include "support/test_files.h"

namespace fs = std::filesystem;
using namespace splitwick;
using namespace splitwick::testing;
using splitwick::fuzz::require;

namespace {

// The files the jobs told as created, apart from their log: a caption that reads "Creating ..."
// may begin a warning's line.
struct CreationEvents : RecordingEvents {
    void outputCreated(const std::string& path) override {
        created.push_back(path);
        RecordingEvents::outputCreated(path);
    }
    std::vector<std::string> created;
};

struct FuzzedRun {
    uint8_t flags = 0;
    std::string caption;
    Bytes evo;
};

FuzzedRun parse(const uint8_t* data, size_t size) {
    FuzzedRun run;
    if (size == 0) return run;
    run.flags = data[0];
    const size_t captionLength = size > 1 ? std::min<size_t>(data[1], size - 2) : 0;
    const size_t evoStart = std::min<size_t>(size, 2 + captionLength);
    run.caption.assign(reinterpret_cast<const char*>(data) + std::min<size_t>(size, 2),
                       captionLength);
    run.evo.assign(data + evoStart, data + size);
    return run;
}

// The sources of the run by path: one EVO, or the two parts of a split title.
std::map<std::string, Bytes> writeSources(const FuzzedRun& run, const fs::path& disc) {
    std::map<std::string, Bytes> sources;
    if (run.flags & 1) {
        const auto half = run.evo.begin() + long(run.evo.size() / 2);
        sources[disc / "FEATURE_1.EVO"] = Bytes(run.evo.begin(), half);
        sources[disc / "FEATURE_2.EVO"] = Bytes(half, run.evo.end());
    } else {
        sources[disc / "FEATURE_1.EVO"] = run.evo;
    }
    for (const auto& [path, bytes] : sources)
        writeBytes(path, bytes);
    return sources;
}

// Every name a stream can have, in track order.
std::vector<TrackName> allNames() {
    std::vector<TrackName> names;
    for (TrackKind kind : {TrackKind::Video, TrackKind::Audio, TrackKind::Subpicture})
        for (int number = 0; number < numbersOfKind(kind); ++number)
            names.push_back({kind, number});
    return names;
}

// The window's way: Read EVO, then a Demux of every stream found, one of them labelled with the
// caption as a playlist's title would label it.
void runJobs(CreationEvents& events, const FuzzedRun& run, const std::string& evo,
             const std::string& out) {
    JobRequest request;
    request.countFrames = run.flags & 2;
    request.evoPath = evo;
    request.outputFolder = out;
    if (run.flags & 4) request.extensions[1] = run.caption;
    try {
        const ReadResult read = readEvo(request, events);
        static const std::vector<TrackName> names = allNames();
        PlaylistRead playlist;
        playlist.titleFound = true;
        playlist.title.evoName = "FEATURE_1";
        for (const Track* track : read.tracks.inOrder())
            playlist.labels.push_back({track->name(), track->label(), ""});
        const TrackName labelled = names[size_t(run.flags >> 3) % names.size()];
        playlist.labels.push_back({labelled, run.caption, run.caption});
        request.earlier = EarlierReads{std::nullopt, playlist, true};
        demux(request, events);
    } catch (const JobError&) {
        // A refused output is an answer too; what the job left behind is checked all the same.
    }
}

// Whether a file name shows what it says: UTF-8 throughout (as the system's decoder reads it),
// without control characters or bidirectional embeddings, overrides and isolates.
bool readableName(const std::string& name) {
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    const locale_t previous = ::uselocale(utf8);
    std::mbstate_t state{};
    bool readable = true;
    for (size_t at = 0; at < name.size() && readable;) {
        wchar_t c = 0;
        const size_t length = std::mbrtowc(&c, name.data() + at, name.size() - at, &state);
        // The decoder takes code points past U+10FFFF, which UTF-8 has not.
        readable = length != 0 && length <= 4 && c >= 0x20 && c <= 0x10FFFF &&
                   !(c >= 0x7F && c <= 0x9F) && !(c >= 0x202A && c <= 0x202E) &&
                   !(c >= 0x2066 && c <= 0x2069);
        at += length;
    }
    ::uselocale(previous);
    return readable;
}

void expectOnlyOutputsInTheOutputFolder(const fs::path& work,
                                        const std::map<std::string, Bytes>& sources) {
    for (const auto& entry : fs::recursive_directory_iterator(work)) {
        const fs::path& path = entry.path();
        if (path == work / "disc" || path == work / "out" || sources.count(path.string())) continue;
        require(path.parent_path() == work / "out",
                "made outside the output folder: " + path.string());
        require(entry.is_regular_file() && !entry.is_symlink(), "not a file: " + path.string());
        const std::string name = path.filename().string();
        require(name.size() <= MaxFileNameBytes && readableName(name), "unsafe name: " + name);
    }
}

void expectToldNamesOnDisk(const std::vector<std::string>& created, const fs::path& out) {
    const std::string folder = out.string() + "/";
    for (const std::string& path : created) {
        require(path.rfind(folder, 0) == 0, "told outside the output folder: " + path);
        const std::string name = path.substr(folder.size());
        require(name.find('/') == std::string::npos && fs::is_regular_file(out / name),
                "told but not on disk: " + path);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const TempFolder root;
    const fs::path work = fs::path(root.path()) / "work";
    fs::remove_all(work);
    fs::create_directories(work / "disc");
    fs::create_directories(work / "out");
    const FuzzedRun run = parse(data, size);
    const std::map<std::string, Bytes> sources = writeSources(run, work / "disc");

    CreationEvents events;
    const size_t filesOpen = openFileDescriptors();
    runJobs(events, run, sources.begin()->first, (work / "out").string());

    require(openFileDescriptors() == filesOpen, "a file was left open");
    for (const auto& [path, bytes] : sources)
        require(readBytes(path) == bytes, "source changed: " + path);
    expectOnlyOutputsInTheOutputFolder(work, sources);
    expectToldNamesOnDisk(events.created, work / "out");
    return 0;
}
