#include "scrambled_packs.h"

#include <algorithm>

#include "pack_layout.h"

namespace splitwick {

namespace {

// The stream ids whose packets carry video, audio or subpictures; the system header, padding,
// navigation and stream-map packets are never encrypted.
bool isMediaStream(uint8_t id) {
    return id == PrivateStream1 || id == ExtendedStream || (id >= 0xC0 && id <= 0xEF);
}

// 1234567 -> "1,234,567"
std::string groupedDigits(int64_t number) {
    std::string digits = std::to_string(number);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(size_t(at), ",");
    return digits;
}

} // namespace

bool packScrambled(std::span<const uint8_t> pack) {
    if (pack.size() <= PackHeaderSize ||
        !std::equal(PackStartCode.begin(), PackStartCode.end(), pack.begin()))
        return false;
    const size_t s = PackHeaderSize + (pack[StuffingLengthByte] & StuffingLengthMask);
    if (s + PacketFlagsByte >= pack.size()) return false;
    if (pack[s] != 0 || pack[s + 1] != 0 || pack[s + 2] != 1 ||
        !isMediaStream(pack[s + PacketStreamId]))
        return false;
    // PES_scrambling_control: bits 5 and 4.
    return ((pack[s + PacketFlagsByte] >> 4) & 3) != 0;
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
