#pragma once
#include <vector>

#include "engine/job_events.h"
#include "plan.h"

namespace splitwick {

// Labels the tracks a demux meets, and says where the title a playlist gives and its EVO
// disagree: a stream the EVO carries that the title does not name is left out, and a stream
// the title names that the EVO lacks gets no file. Each is said once, in a line of its own.
class TitleMismatch {
  public:
    // labels: the playlist read that labels the streams; nullptr when the scan does.
    TitleMismatch(const PlaylistRead* labels, JobEvents& events)
        : labels_(labels), events_(events) {}

    // A track met for the first time, labelled; "DD+ audio stream 1 in the EVO, not in the
    // title: left out" for one the title does not name.
    LabelledTrack met(const Track& track, bool firstOfName);
    // Once the whole title was read: "LABEL in the title, not in the EVO" for each stream the
    // title names that the planner would take and no track was met for.
    void neverMet(const Planner& planner) const;

  private:
    const PlaylistRead* labels_;
    JobEvents& events_;
    std::vector<TrackName> met_;
};

} // namespace splitwick
