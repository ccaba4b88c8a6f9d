// Test data drawn from the program's random sequence on a state of the
// test's own, so that every run draws the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "reference_decoding.h"

struct Draws {
    uint32_t state;

    // A value from 0 to n - 1, for n from 1 to 32768.
    int32_t below(int32_t n) { return referenceRandom(state) % n; }

    // `count` values, each below `greys`.
    std::vector<uint8_t> bytes(size_t count, int32_t greys = 256) {
        std::vector<uint8_t> values(count);
        for (uint8_t& v : values) v = static_cast<uint8_t>(below(greys));
        return values;
    }

    // Any 32-bit state of the program's random source.
    uint32_t anyState() {
        const uint32_t high = static_cast<uint32_t>(referenceRandom(state)) << 17;
        const uint32_t middle = static_cast<uint32_t>(referenceRandom(state)) << 2;
        return high ^ middle ^ static_cast<uint32_t>(referenceRandom(state));
    }
};
