// A fuzz target's input, read from the front; past its end every read
// gives 0 (or nothing).
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FuzzInput {
    const uint8_t* data;
    size_t size;
    size_t at = 0;

    bool finished() const { return at >= size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    uint32_t number16() { return byte() | static_cast<uint32_t>(byte()) << 8; }
    uint32_t number32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(byte()) << (8 * i);
        return value;
    }
    // Small values mostly (-20 .. 235), any 32-bit one sometimes: the
    // settings a hostile caller could pass.
    int32_t anyNumber() {
        const uint8_t kind = byte();
        return kind % 4 == 0 ? static_cast<int32_t>(number32()) : static_cast<int32_t>(kind) - 20;
    }
    std::vector<uint8_t> bytes(size_t count) {
        const size_t taken = std::min(count, size - std::min(at, size));
        std::vector<uint8_t> out(data + at, data + at + taken);
        at += taken;
        return out;
    }
    // Up to `longest` bytes, as many as the byte before them says.
    std::string text(size_t longest) {
        const std::vector<uint8_t> chars = bytes(byte() % (longest + 1));
        return std::string(chars.begin(), chars.end());
    }
};

// `count` bytes from a run of 1 .. 64 input bytes repeated, each index
// through `spread` to its place in the run, so that short inputs still give
// plateaus and repeats.
template <class Spread>
std::vector<uint8_t> fuzzRaster(FuzzInput& in, size_t count, const Spread& spread) {
    const size_t unit = 1 + in.byte() % 64;
    std::vector<uint8_t> values(unit);
    for (uint8_t& v : values) v = in.byte();
    std::vector<uint8_t> out(count);
    for (size_t i = 0; i < count; ++i) out[i] = values[spread(i, unit, values[0]) % unit];
    return out;
}
