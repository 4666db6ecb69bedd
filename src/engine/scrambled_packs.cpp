#include "scrambled_packs.h"

#include <algorithm>

namespace splitwick {

namespace {

constexpr size_t PackSize = 2048;
// pack_start_code (4 bytes), the SCR, program_mux_rate and marker bits up to the byte whose low
// three bits are pack_stuffing_length.
constexpr size_t PackHeaderSize = 14;
constexpr size_t StuffingLengthByte = 13;
// From the packet's start code: packet_start_code_prefix, stream_id, PES_packet_length, then
// the byte '10' PES_scrambling_control PES_priority ...
constexpr size_t ScramblingByte = 6;

// The stream ids whose packets carry video, audio or subpictures; the system header, padding,
// navigation and stream-map packets are never encrypted.
bool isMediaStream(uint8_t id) {
    return id == 0xBD || id == 0xFD || (id >= 0xC0 && id <= 0xEF);
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
    if (pack.size() <= PackHeaderSize || pack[0] != 0 || pack[1] != 0 || pack[2] != 1 ||
        pack[3] != 0xBA)
        return false;
    const size_t s = PackHeaderSize + (pack[StuffingLengthByte] & 7);
    if (s + ScramblingByte >= pack.size()) return false;
    if (pack[s] != 0 || pack[s + 1] != 0 || pack[s + 2] != 1 || !isMediaStream(pack[s + 3]))
        return false;
    return ((pack[s + ScramblingByte] >> 4) & 3) != 0;
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
