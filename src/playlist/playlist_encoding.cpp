#include "playlist_encoding.h"

#include <algorithm>
#include <array>

namespace splitwick {

namespace {

struct Signature {
    std::array<uint8_t, 4> bytes;
    size_t length;
    size_t dropped; // the byte-order mark's bytes
};

constexpr char32_t Replacement = 0xFFFD;

} // namespace

void PlaylistEncoding::decide(std::span<const uint8_t>& chunk) {
    struct Known {
        Signature signature;
        Form form;
    };
    static constexpr std::array<Known, 5> Forms = {{
        {{{0xEF, 0xBB, 0xBF, 0}, 3, 3}, Form::Utf8},
        {{{0xFF, 0xFE, 0, 0}, 2, 2}, Form::Utf16Le},
        {{{0xFE, 0xFF, 0, 0}, 2, 2}, Form::Utf16Be},
        {{{0x3C, 0x00, 0x3F, 0x00}, 4, 0}, Form::Utf16Le},
        {{{0x00, 0x3C, 0x00, 0x3F}, 4, 0}, Form::Utf16Be},
    }};
    pending_.insert(pending_.end(), chunk.begin(), chunk.end());
    chunk = {};
    for (const Known& known : Forms) {
        const Signature& s = known.signature;
        const size_t compared = std::min(s.length, pending_.size());
        if (!std::equal(s.bytes.begin(), s.bytes.begin() + long(compared), pending_.begin()))
            continue;
        // Too few bytes yet to tell: wait for more.
        if (compared < s.length) return;
        form_ = known.form;
        pending_.erase(pending_.begin(), pending_.begin() + long(s.dropped));
        return;
    }
    form_ = Form::Utf8;
}

std::span<const uint8_t> PlaylistEncoding::toUtf8(std::span<const uint8_t> chunk) {
    out_.clear();
    if (form_ == Form::Unknown) {
        const bool atEnd = chunk.empty();
        decide(chunk);
        if (form_ == Form::Unknown) {
            // Too few bytes yet to tell; at the end they are taken as they are.
            if (!atEnd) return {};
            form_ = Form::Utf8;
        }
        std::vector<uint8_t> held;
        held.swap(pending_);
        if (form_ == Form::Utf8) {
            out_ = std::move(held);
            return out_;
        }
        decodeUtf16(held);
        return out_;
    }
    if (form_ == Form::Utf8) return chunk;
    decodeUtf16(chunk);
    return out_;
}

void PlaylistEncoding::decodeUtf16(std::span<const uint8_t> chunk) {
    pending_.insert(pending_.end(), chunk.begin(), chunk.end());
    const bool little = form_ == Form::Utf16Le;
    size_t at = 0;
    for (; at + 1 < pending_.size(); at += 2) {
        const char16_t unit = little ? char16_t(pending_[at] | pending_[at + 1] << 8)
                                     : char16_t(pending_[at] << 8 | pending_[at + 1]);
        if (unit >= 0xD800 && unit < 0xDC00) {
            if (highSurrogate_ != 0) append(Replacement);
            highSurrogate_ = unit;
            continue;
        }
        if (unit >= 0xDC00 && unit < 0xE000 && highSurrogate_ != 0) {
            append(0x10000 + ((char32_t(highSurrogate_) - 0xD800) << 10) + (unit - 0xDC00));
            highSurrogate_ = 0;
            continue;
        }
        if (highSurrogate_ != 0) append(Replacement);
        highSurrogate_ = 0;
        append(unit >= 0xDC00 && unit < 0xE000 ? Replacement : char32_t(unit));
    }
    pending_.erase(pending_.begin(), pending_.begin() + long(at));
}

void PlaylistEncoding::append(char32_t code) {
    if (code < 0x80) {
        out_.push_back(uint8_t(code));
    } else if (code < 0x800) {
        out_.insert(out_.end(), {uint8_t(0xC0 | code >> 6), uint8_t(0x80 | (code & 0x3F))});
    } else if (code < 0x10000) {
        out_.insert(out_.end(), {uint8_t(0xE0 | code >> 12), uint8_t(0x80 | (code >> 6 & 0x3F)),
                                 uint8_t(0x80 | (code & 0x3F))});
    } else {
        out_.insert(out_.end(),
                    {uint8_t(0xF0 | code >> 18), uint8_t(0x80 | (code >> 12 & 0x3F)),
                     uint8_t(0x80 | (code >> 6 & 0x3F)), uint8_t(0x80 | (code & 0x3F))});
    }
}

} // namespace splitwick
