// rng: a tiny seeded random generator, so that every generated file comes out
// the same on every build and every machine.
#pragma once
#include <cstdint>

/// Xorshift state; never zero.
struct rng {
    uint32_t s;
};

/// A generator started from a seed (0 is replaced by a fixed non-zero value).
inline rng rng_seed(uint32_t seed) {
    uint32_t s = seed * 2654435761u + 0x6d2b79f5u;
    return rng{s ? s : 0x9e3779b9u};
}

/// The next 32-bit number.
inline uint32_t rng_next(rng& r) {
    r.s ^= r.s << 13;
    r.s ^= r.s >> 17;
    r.s ^= r.s << 5;
    return r.s;
}

/// A float in [0, 1).
inline float rng_float(rng& r) {
    return (rng_next(r) >> 8) * (1.0f / 16777216.0f);
}

/// A whole number from 0 to n - 1.
inline int rng_int(rng& r, int n) {
    return static_cast<int>(rng_next(r) % static_cast<uint32_t>(n));
}
