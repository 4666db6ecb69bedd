#include "job_error_of.h"

#include "engine/job_error.h"

namespace splitwick::testing {

std::string jobErrorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const JobError& error) {
        return error.what();
    }
    return {};
}

} // namespace splitwick::testing
