#include "title_playlist.h"

#include "file_choice.h"
#include "playlist/read_xpl.h"

namespace splitwick {

namespace {

// Keeps a read's lines for later; its progress is none of the job's, which has yet to start its
// own; the rest goes on to the job's events.
class KeptLines : public JobEvents {
  public:
    KeptLines(std::vector<std::string>& lines, JobEvents& events)
        : lines_(lines), events_(events) {}
    void logged(const std::string& line) override { lines_.push_back(line); }
    void phase(const std::string& word) override { events_.phase(word); }
    void progress(const Progress&) override {}
    void passStarted(const SourceFile& source, bool writes) override {
        events_.passStarted(source, writes);
    }
    void passEnded(StopReason reason) override { events_.passEnded(reason); }
    bool stopRequested() const override { return events_.stopRequested(); }

  private:
    std::vector<std::string>& lines_;
    JobEvents& events_;
};

} // namespace

TitlePlaylist::TitlePlaylist(const JobRequest& request, JobEvents& events) {
    const std::string evoName = evoStem(request.evoPath);
    const PlaylistRead* read = nullptr;
    if (request.earlier) {
        if (request.earlier->playlist) read = &*request.earlier->playlist;
        if (request.earlier->labelledByPlaylist) labels_ = read;
    } else if (!request.playlistPath.empty()) {
        KeptLines kept(lines_, events);
        PlainPlaylistView view;
        read_ = readPlaylist(request.playlistPath, evoName, view, kept);
        read = labels_ = &*read_;
    }
    // Another EVO's title says nothing of this one's streams.
    if (read != nullptr && read->titleFound && read->title.evoName == evoName)
        title_ = &read->title;
    if (request.discTitle) title_ = &request.discTitle->info;
}

void TitlePlaylist::logLines(JobEvents& events) const {
    for (const std::string& line : lines_)
        events.logged(line);
}

} // namespace splitwick
