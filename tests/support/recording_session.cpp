#include "recording_session.h"

namespace splitwick::testing {

RecordingSession::RecordingSession() : session(report, events) {}

} // namespace splitwick::testing
