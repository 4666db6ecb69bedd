#pragma once
#include <memory>
#include <string>
#include <vector>

#include "job_events.h"
#include "output_file.h"
#include "pgs_writer.h"
#include "subpicture_units.h"
#include "title_clock.h"

namespace splitwick {

// A subpicture stream's output converted to PGS: its payload runs are joined into units, each
// parsed and written as display sets at its time on the title's timeline. Units met before
// that timeline is known (the first presented picture is settled within the video's first
// second) wait for it. A unit that cannot be shown is left out with one line; the job goes on.
class PgsStreamFile : public StreamOutput {
  public:
    PgsStreamFile(const std::string& path, std::string label, OpenFiles& held);
    // The display sets go to another output, which stores them its own way.
    PgsStreamFile(StreamOutput& segments, std::string label);

    void payload(const PayloadRun& run, const TitleClock& clock, JobEvents& events);
    // The part's scan ended: units still waiting are timed by the clock, settled from the
    // part's timing now; without video stream 0, from the first waiting unit's PTS.
    void endPart(const TitleClock& clock, JobEvents& events);

    // Raw bytes have no place here: a PGS stream takes whole runs through payload().
    void write(const uint8_t*, size_t) override {}
    void store() override;
    void moveIntoPlace() override { target_.moveIntoPlace(); }
    const std::string& path() const { return file_->path(); }
    const std::string& writtenPath() const { return file_->writtenPath(); }

  private:
    void unitDone(SubpictureUnit& unit);
    void convert(const SubpictureUnit& unit, int64_t at);
    void leftOut(int64_t pts, const std::string& reason);

    std::unique_ptr<OutputFile> file_; // none when the sets go to another output
    StreamOutput& target_;
    const std::string label_;
    PgsWriter writer_{target_};
    SubpictureUnits units_;
    std::vector<SubpictureUnit> waiting_;
    const TitleClock* clock_ = nullptr; // of the run in hand
    JobEvents* events_ = nullptr;
    bool dvdFormTold_ = false;
    std::optional<int64_t> lastStart_;
    Subpicture picture_; // the unit in hand, its room kept for the next
};

} // namespace splitwick
