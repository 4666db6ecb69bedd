#pragma once
#include <vector>

#include "engine/job_events.h"
#include "playlist.h"
#include "playlist_view.h"
#include "title_model.h"

namespace splitwick {

// Each stream the title's model labels is listed in the model's tree and logged with " found!";
// gives the labels of the streams the title names (of video, only the first track's).
std::vector<StreamLabel> labelTitle(const AttributeTables& attributes, TitleModel& model,
                                    JobEvents& events);

} // namespace splitwick
