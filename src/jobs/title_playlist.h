#pragma once
#include <optional>
#include <string>
#include <vector>

#include "engine/job_events.h"
#include "job_request.h"

namespace splitwick {

// The playlist as a job that writes the streams takes it: the window's last Read XPL, or the
// playlist the request names, read as the job starts with its lines kept for their place behind
// Read EVO's; and the title whose languages, names and chapters the outputs take (a disc's title
// chosen whole is its own).
class TitlePlaylist {
  public:
    TitlePlaylist(const JobRequest& request, JobEvents& events);

    // The read whose labels name the streams; nullptr when the scan's do.
    const PlaylistRead* labels() const { return labels_; }
    // The title that plays the EVO; nullptr for none.
    const TitleInfo* title() const { return title_; }
    // The lines of the read made here, as Read XPL logs them.
    void logLines(JobEvents& events) const;
    // The read made here, when one was.
    const std::optional<PlaylistRead>& ownRead() const { return read_; }

  private:
    std::optional<PlaylistRead> read_;
    std::vector<std::string> lines_;
    const PlaylistRead* labels_ = nullptr;
    const TitleInfo* title_ = nullptr;
};

} // namespace splitwick
