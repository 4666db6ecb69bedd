#include "program_stream.h"

#include <stdexcept>

namespace splitwick::testing {

std::vector<StreamPacket> streamPackets(const Bytes& file) {
    const uint8_t* b = file.data();
    const size_t n = file.size();
    std::vector<StreamPacket> packets;
    size_t i = 0;
    while (i + 14 <= n) {
        if (b[i] != 0 || b[i + 1] != 0 || b[i + 2] != 1)
            throw std::runtime_error("no start code at byte " + std::to_string(i));
        const uint8_t id = b[i + 3];
        if (id == 0xBA) {
            i += 14 + (b[i + 13] & 0x07); // pack header and its stuffing
            continue;
        }
        const size_t end = i + 6 + (size_t(b[i + 4]) << 8 | b[i + 5]);
        if (end > n) throw std::runtime_error("packet at byte " + std::to_string(i) + " cut off");
        packets.push_back({id, i, end});
        i = end;
    }
    return packets;
}

std::vector<LpcmPacket> lpcmPackets(const Bytes& file) {
    std::vector<LpcmPacket> packets;
    for (const StreamPacket& packet : streamPackets(file)) {
        const size_t subStream = packet.payload(file);
        // Sub-stream id, number_of_frame_headers, first_access_unit_pointer (2 bytes).
        if (packet.streamId == 0xBD && (file[subStream] & 0xF8) == 0xA0)
            packets.push_back({subStream + 4, subStream + 7, packet.end});
    }
    return packets;
}

} // namespace splitwick::testing
