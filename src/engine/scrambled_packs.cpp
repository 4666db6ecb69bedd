#include "scrambled_packs.h"

#include <algorithm>

#include "pack_view.h"

namespace splitwick {

namespace {

// 1234567 -> "1,234,567"
std::string groupedDigits(int64_t number) {
    std::string digits = std::to_string(number);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), ",");
    return digits;
}

} // namespace

bool packScrambled(std::span<const uint8_t> pack) {
    return PackView(pack).scrambled();
}

void scanPacks(std::span<const uint8_t> chunk, ScanSink& sink) {
    for (size_t at = 0; at < chunk.size(); at += PackSize)
        sink.packScanned(packScrambled(chunk.subspan(at, std::min(PackSize, chunk.size() - at))));
}

void refuseScrambled(std::span<const uint8_t> chunk, const std::string& path) {
    ScrambleGuard guard(path);
    scanPacks(chunk, guard);
}

void ScrambleGuard::packScanned(bool scrambled) {
    if (scrambled)
        throw JobError(JobErrorKind::Scrambled,
                       "\"" + fullPath(path_) +
                           "\" is encrypted (its packs are scrambled): decrypt it first");
}

std::string ScrambleTally::line() const {
    if (scrambled_ == 0) return "";
    return "The EVO is encrypted: " + groupedDigits(scrambled_) + " of " + groupedDigits(packs_) +
           " packs are scrambled. Decrypt it first; its streams cannot be used as they are.";
}

} // namespace splitwick
