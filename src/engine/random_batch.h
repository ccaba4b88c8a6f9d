// The program's only random source, and its sequence drawn many values at
// a time. It is never seeded from time, so the same commands from start
// give the same pictures. Each draw only multiplies and adds, so eight
// draws that lie eight steps apart can run side by side: lane i steps from
// draw n + i to draw n + i + 8 by the eight-fold step, which gives the very
// same states.
#pragma once

#include <cstdint>

// The state the program starts with.
constexpr uint32_t FirstRandomState = 1;

// One step of the random state: state * RandomMultiplier + RandomIncrement,
// modulo 2^32.
constexpr uint32_t RandomMultiplier = 214013u;
constexpr uint32_t RandomIncrement = 2531011u;

// The value drawn on reaching `state`: its bits 16 to 30.
constexpr int32_t randomValueOf(uint32_t state) {
    return static_cast<int32_t>((state >> 16) & 0x7FFFu);
}

// Steps the state once and returns the value drawn, 0..32767.
inline int32_t nextRandom(uint32_t& state) {
    state = state * RandomMultiplier + RandomIncrement;
    return randomValueOf(state);
}

constexpr int32_t RandomLanes = 8;

// The state after `steps` steps is stride.multiplier * state + stride.increment.
struct RandomStride {
    uint32_t multiplier;
    uint32_t increment;
};

// Composes the single step `steps` times, by squaring: O(log steps).
constexpr RandomStride randomStride(uint64_t steps) {
    RandomStride total{1u, 0u};
    RandomStride power{RandomMultiplier, RandomIncrement};
    for (; steps != 0; steps >>= 1) {
        if (steps & 1u) total = RandomStride{total.multiplier * power.multiplier,
                                             total.increment * power.multiplier + power.increment};
        power = RandomStride{power.multiplier * power.multiplier, power.increment * power.multiplier + power.increment};
    }
    return total;
}

// The state `steps` draws after `state`, without drawing them.
inline uint32_t stateAfterDraws(uint32_t state, uint64_t steps) {
    const RandomStride stride = randomStride(steps);
    return stride.multiplier * state + stride.increment;
}

// Writes take(value, i) for the next `count` values of the sequence, i
// counting from 0, and leaves `state` where `count` calls of nextRandom
// would. Nothing is drawn for a count below 1.
template <class Take>
void drawRandomInto(uint32_t& state, uint8_t* out, int64_t count, Take take) {
    if (count < 1) return;
    constexpr RandomStride laneStride = randomStride(RandomLanes);
    uint32_t lanes[RandomLanes];
    uint32_t step = state;
    for (int32_t l = 0; l < RandomLanes; ++l) lanes[l] = step = step * RandomMultiplier + RandomIncrement;
    int64_t i = 0;
    for (; i + RandomLanes <= count; i += RandomLanes) {
        state = lanes[RandomLanes - 1];
        for (int32_t l = 0; l < RandomLanes; ++l) {
            out[i + l] = take(randomValueOf(lanes[l]), i + l);
            lanes[l] = lanes[l] * laneStride.multiplier + laneStride.increment;
        }
    }
    for (int32_t l = 0; i + l < count; ++l) {
        out[i + l] = take(randomValueOf(lanes[l]), i + l);
        state = lanes[l];
    }
}
