// Replays the inputs of the folders named on the command line through the target's
// LLVMFuzzerTestOneInput, as libFuzzer runs them: the fuzzers' seeds and findings as ordinary
// tests, with any compiler. A missing folder has no inputs; no input at all is a failure, since
// then the folders were not found.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::filesystem::path> inputsIn(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> inputs;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec)) return inputs;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file() && entry.path().filename().string().front() != '.')
            inputs.push_back(entry.path());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        for (const auto& path : inputsIn(argv[i])) {
            // Named before it runs: a crash is then reported under this line.
            std::fprintf(stderr, "replaying %s\n", path.c_str());
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
            LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    return replayed > 0 ? 0 : 1;
}
