#pragma once
#include <bit>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "subpicture.h"

namespace splitwick {

enum class RleCoding { Hd8Bit, Dvd2Bit };

// Reads one field of a subpicture's pixels a line at a time. Every line starts on a byte; a run
// longer than its line ends at the line's end.
class FieldReader {
  public:
    FieldReader(std::span<const uint8_t> field, RleCoding coding) : bits_(field), coding_(coding) {}
    // Appends the next line's runs, `width` pixels. Returns false when the field's bytes end
    // before the line does.
    bool readLine(int width, std::vector<PixelRun>& runs);

    // The field's bits, looked at a word at a time.
    class Bits {
      public:
        explicit Bits(std::span<const uint8_t> bytes) : bytes_(bytes) { load(); }
        // The next 32 bits, first bit highest, left in place; bits past the end read as 0. A run's
        // whole code fits in them, so each run costs one look, mostly at bytes read already.
        uint32_t peek() {
            if (position_ - windowAt_ > 32) load();
            return uint32_t(window_ << (position_ - windowAt_) >> 32);
        }
        void skip(int bits) { position_ += size_t(bits); }
        uint32_t get(int bits) {
            const uint32_t value = peek() >> (32 - bits);
            skip(bits);
            return value;
        }
        void align() { position_ = (position_ + 7) / 8 * 8; }
        bool overrun() const { return position_ > bytes_.size() * 8; }

      private:
        void load() {
            const size_t byte = position_ / 8;
            windowAt_ = byte * 8;
            window_ = 0;
            if (byte + sizeof window_ <= bytes_.size()) {
                std::memcpy(&window_, bytes_.data() + byte, sizeof window_);
                if constexpr (std::endian::native == std::endian::little)
                    window_ = __builtin_bswap64(window_);
                return;
            }
            for (size_t i = 0; i < sizeof window_; ++i)
                window_ = window_ << 8 | (byte + i < bytes_.size() ? bytes_[byte + i] : 0);
        }

        std::span<const uint8_t> bytes_;
        size_t position_ = 0;
        // Eight bytes from windowAt_ (a bit position on a byte), first bit highest.
        uint64_t window_ = 0;
        size_t windowAt_ = 0;
    };

  private:
    Bits bits_;
    RleCoding coding_;
};

} // namespace splitwick
