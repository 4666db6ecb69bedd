#include "pgs_stream_file.h"

namespace splitwick {

PgsStreamFile::PgsStreamFile(const std::string& path, std::string label, OpenFiles& held)
    : file_(std::make_unique<OutputFile>(path, held)), target_(*file_), label_(std::move(label)),
      units_([this](SubpictureUnit& unit) { unitDone(unit); },
             [this](int64_t pts, const std::string& reason) { leftOut(pts, reason); }) {}

PgsStreamFile::PgsStreamFile(StreamOutput& segments, std::string label)
    : target_(segments), label_(std::move(label)),
      units_([this](SubpictureUnit& unit) { unitDone(unit); },
             [this](int64_t pts, const std::string& reason) { leftOut(pts, reason); }) {}

void PgsStreamFile::payload(const PayloadRun& run, const TitleClock& clock, JobEvents& events) {
    clock_ = &clock;
    events_ = &events;
    if (clock.settled() && !waiting_.empty()) {
        for (const SubpictureUnit& unit : waiting_)
            convert(unit, *clock.ticks(unit.pts));
        waiting_.clear();
    }
    units_.add(run);
}

void PgsStreamFile::unitDone(SubpictureUnit& unit) {
    if (const auto at = clock_->ticks(unit.pts)) {
        convert(unit, *at);
        return;
    }
    waiting_.push_back(std::move(unit));
    unit = {};
}

void PgsStreamFile::endPart(const TitleClock& clock, JobEvents& events) {
    clock_ = &clock;
    events_ = &events;
    units_.end();
    const int64_t first = waiting_.empty() ? 0 : waiting_.front().pts;
    for (const SubpictureUnit& unit : waiting_)
        convert(unit, clock.ticks(unit.pts).value_or(ptsDifference(unit.pts, first)));
    waiting_.clear();
}

void PgsStreamFile::convert(const SubpictureUnit& unit, int64_t at) {
    try {
        parseSubpicture(unit.bytes, picture_);
    } catch (const SubpictureError& error) {
        leftOut(unit.pts, error.what());
        return;
    }
    const int64_t start = at + picture_.start;
    if (start < 0) {
        leftOut(unit.pts, "it starts before the picture");
        return;
    }
    if (lastStart_ && start < *lastStart_) {
        leftOut(unit.pts, "it starts before the unit in front of it");
        return;
    }
    lastStart_ = start;
    if (picture_.dvdForm && !dvdFormTold_) {
        dvdFormTold_ = true;
        events_->warning(label_ + " holds DVD subpictures, whose colours are not in the stream: "
                                  "they are shown in greys.");
    }
    writer_.add(picture_, at);
}

void PgsStreamFile::leftOut(int64_t pts, const std::string& reason) {
    events_->warning("Subpicture unit of " + label_ + " at PTS " + std::to_string(pts) +
                     " left out: " + reason + ".");
}

void PgsStreamFile::store() {
    writer_.finish();
    target_.store();
}

} // namespace splitwick
