#include "matroska_output.h"

#include <dlfcn.h>

#include <filesystem>

#include "engine/job_error.h"

namespace splitwick {

namespace {

using Make = PassWriter* (*)(const MkvSetup*);

// Beside an installed program, else in the build tree it was built in.
std::vector<std::string> moduleCandidates() {
    std::vector<std::string> paths;
    std::error_code error;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (!error)
        paths.push_back(
            (program.parent_path() / SPLITWICK_MODULE_FROM_BINDIR / SPLITWICK_MATROSKA_MODULE)
                .string());
    paths.push_back(std::string(SPLITWICK_BUILD_MODULE_DIR) + "/" + SPLITWICK_MATROSKA_MODULE);
    return paths;
}

// Loaded once for the process's life: its code is in use by every writer made.
Make loadMaker() {
    std::string failure;
    for (const std::string& path : moduleCandidates()) {
        if (!std::filesystem::exists(path)) continue;
        void* module = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (module == nullptr) {
            failure = ::dlerror();
            continue;
        }
        if (auto make = reinterpret_cast<Make>(::dlsym(module, "splitwickMatroskaWriter")))
            return make;
        failure = path + " has no Matroska writer";
    }
    throw JobError(JobErrorKind::Tool,
                   "The Matroska writer (" + std::string(SPLITWICK_MATROSKA_MODULE) +
                       ") cannot be loaded" + (failure.empty() ? "" : ": " + failure));
}

} // namespace

PassWriterMaker matroskaWriterMaker() {
    return [](const MkvSetup& setup) {
        static const Make make = loadMaker();
        return std::unique_ptr<PassWriter>(make(&setup));
    };
}

} // namespace splitwick
