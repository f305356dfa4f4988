#pragma once

// Cuts a fuzzer's bytes into the parts a target needs: small numbers and
// strings whose length the input itself gives, and the rest as one block.
// Running out of bytes gives zeros and empty strings, never an error, so
// that every input is a valid case.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size)
        : bytes_(reinterpret_cast<const char*>(data), size) {}

    std::uint8_t byte() {
        if (bytes_.empty())
            return 0;
        const auto value = static_cast<std::uint8_t>(bytes_.front());
        bytes_.remove_prefix(1);
        return value;
    }

    // Low byte first; each taken in a statement of its own, in that order.
    std::uint16_t word() {
        const std::uint16_t low = byte();
        const std::uint16_t high = byte();
        return static_cast<std::uint16_t>(low | high << 8);
    }

    // A string of up to 255 bytes: one length byte, then the bytes.
    std::string shortString() {
        // The length byte first: in one expression with bytes_.size() the
        // order of the two would be the compiler's to choose.
        const std::size_t wanted = byte();
        const std::size_t length = std::min(wanted, bytes_.size());
        std::string text(bytes_.substr(0, length));
        bytes_.remove_prefix(length);
        return text;
    }

    // Everything not taken yet.
    std::string rest() {
        std::string text(bytes_);
        bytes_ = {};
        return text;
    }

private:
    std::string_view bytes_;
};

} // namespace fuzz
