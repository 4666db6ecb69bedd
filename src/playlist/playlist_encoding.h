#pragma once
#include <cstdint>
#include <span>
#include <vector>

namespace splitwick {

// A playlist's bytes as UTF-8, chunk by chunk. The first bytes tell the encoding: a UTF-16
// byte-order mark (FF FE, FE FF), or an XML declaration written in UTF-16 without one ("<?" as
// 3C 00 3F 00 or 00 3C 00 3F), is decoded; a UTF-8 byte-order mark is dropped; anything else
// passes as it is. A character cut between chunks waits for the next; an empty chunk ends the
// file.
class PlaylistEncoding {
  public:
    // The chunk as UTF-8; valid until the next call.
    std::span<const uint8_t> toUtf8(std::span<const uint8_t> chunk);

  private:
    enum class Form { Unknown, Utf8, Utf16Le, Utf16Be };
    void decide(std::span<const uint8_t>& chunk);
    void decodeUtf16(std::span<const uint8_t> chunk);
    void append(char32_t code);

    Form form_ = Form::Unknown;
    std::vector<uint8_t> pending_; // bytes of a unit cut at the chunk's end
    char16_t highSurrogate_ = 0;
    std::vector<uint8_t> out_;
};

} // namespace splitwick
