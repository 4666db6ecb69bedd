#include "job_runs.h"

#include <algorithm>

#include "jobs/file_choice.h"
#include "jobs/timing_lines.h"
#include "support/test_files.h"

namespace splitwick::testing {

Lines operator+(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string WindowRuns::label(TrackName name) const {
    if (labelledByPlaylist && playlist)
        if (const StreamLabel* label = playlist->label(name)) return label->label;
    if (!labelledByPlaylist && read)
        if (const Track* track = read->tracks.first(name)) return track->label();
    return "";
}

void WindowRuns::tick(TrackName name, bool ticks) {
    if (ticks)
        ticked.insert(name);
    else
        ticked.erase(name);
}

void WindowRuns::relabel(const std::map<TrackName, std::string>& labels) {
    PlaylistRead read;
    read.titleFound = true;
    read.title.evoName = evoStem(request.evoPath);
    for (const auto& [name, label] : labels)
        read.labels.push_back({name, label, label});
    playlist = read;
    labelledByPlaylist = true;
}

JobRequest WindowRuns::streamsRequest(Writes writes) const {
    JobRequest job = request;
    job.writes = writes;
    // Before any read, no box says which streams to take: every one is taken.
    if (read || labelledByPlaylist)
        job.choice.names = std::vector<TrackName>(ticked.begin(), ticked.end());
    EarlierReads earlier;
    if (read && !labelledByPlaylist) earlier.scan = read->tracks;
    earlier.playlist = playlist;
    earlier.labelledByPlaylist = labelledByPlaylist;
    job.earlier = earlier;
    return job;
}

void chooseEvo(WindowRuns& rs, const std::string& path) {
    rs.request.evoPath = path;
}

Lines runJob(WindowRuns& rs, const std::function<void(WindowRuns&)>& job) {
    const size_t before = rs.events.lines.size();
    job(rs);
    return {rs.events.lines.begin() + long(before), rs.events.lines.end()};
}

Lines readEvo(WindowRuns& rs) {
    return runJob(rs, [](WindowRuns& r) {
        r.read = splitwick::readEvo(r.request, r.events);
        r.labelledByPlaylist = false;
        r.frames = r.read->frames;
        r.timing = r.read->timing;
        r.ticked.clear();
        for (const Track& track : r.read->tracks)
            r.ticked.insert(track.name());
    });
}

Lines demuxInto(WindowRuns& rs, const std::string& workdir) {
    rs.request.outputFolder = workdir;
    return runJob(rs, [](WindowRuns& r) {
        const DemuxResult result = demux(r.streamsRequest(Writes::Streams), r.events);
        r.frames = result.written;
        r.timing = result.timing;
    });
}

Lines rebuildInto(WindowRuns& rs, const std::string& workdir) {
    rs.request.outputFolder = workdir;
    return runJob(rs, [](WindowRuns& r) { rebuild(r.streamsRequest(Writes::Rebuilt), r.events); });
}

Lines frameCountLines(const std::array<int64_t, 2>& frames) {
    Lines lines;
    for (int i = 0; i < 2; ++i)
        if (frames[i] > 0)
            lines.push_back(std::to_string(frames[i]) + " frames count in video stream " +
                            std::to_string(i) + ".");
    return lines;
}

Lines timingLines(const WindowRuns& rs) {
    RecordingEvents events;
    logTiming(events, rs.read ? rs.read->timing : TitleTiming{});
    return events.lines;
}

::testing::AssertionResult sameBytes(const std::string& expectedPath,
                                     const std::string& actualPath) {
    const Bytes expected = readBytes(expectedPath);
    const Bytes actual = readBytes(actualPath);
    if (expected == actual) return ::testing::AssertionSuccess();
    const auto mismatch =
        std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    return ::testing::AssertionFailure()
           << actualPath << " has " << actual.size() << " bytes, " << expected.size()
           << " expected; they differ from byte " << (mismatch.first - expected.begin());
}

Lines withPrefix(const Lines& paths, const std::string& prefix) {
    std::vector<std::string> chosen;
    for (const std::string& path : paths) {
        const std::string name = path.substr(path.rfind('/') + 1);
        if (name.rfind(prefix, 0) == 0) chosen.push_back(path);
    }
    return chosen;
}

void expectOutputs(const Lines& expectedFiles, const std::string& outputFolder) {
    std::vector<std::string> names;
    for (const std::string& path : expectedFiles) {
        const std::string name = path.substr(path.rfind('/') + 1);
        names.push_back(name);
        EXPECT_TRUE(sameBytes(path, outputFolder + "/" + name));
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(fileNamesIn(outputFolder), names);
}

} // namespace splitwick::testing
