#include "scramble.h"

#include <fstream>
#include <stdexcept>

namespace splitwick::maker {

namespace {

constexpr std::streamsize PackBytes = 2048;

// The packet behind the pack header: 14 bytes and pack_stuffing_length more. True when it is a
// media packet, now marked.
bool markPacket(char* pack) {
    const auto byte = [&](size_t at) { return static_cast<uint8_t>(pack[at]); };
    const size_t start = 14 + (byte(13) & 7);
    if (byte(0) != 0 || byte(1) != 0 || byte(2) != 1 || byte(3) != 0xBA) return false;
    if (byte(start) != 0 || byte(start + 1) != 0 || byte(start + 2) != 1) return false;
    const uint8_t id = byte(start + 3);
    const bool media = id == 0xBD || id == 0xFD || (id >= 0xC0 && id <= 0xEF);
    if (!media) return false;
    // '10', then PES_scrambling_control
    pack[start + 6] = static_cast<char>((byte(start + 6) & 0xCF) | 0x10);
    return true;
}

} // namespace

int64_t scrambleFrom(const std::vector<std::string>& parts, int64_t firstPack) {
    int64_t pack = 0;
    int64_t marked = 0;
    for (const std::string& path : parts) {
        std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
        if (!file) throw std::runtime_error("cannot open " + path);
        char bytes[PackBytes];
        for (std::streamoff at = 0; file.seekg(at) && file.read(bytes, PackBytes);
             at += PackBytes) {
            if (pack++ < firstPack || !markPacket(bytes)) continue;
            file.seekp(at);
            file.write(bytes, PackBytes);
            ++marked;
        }
        if (file.bad()) throw std::runtime_error("cannot write " + path);
    }
    return marked;
}

} // namespace splitwick::maker
