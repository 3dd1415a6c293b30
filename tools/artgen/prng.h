// TPrng: the generator's own pseudo-random numbers (xorshift64*, seeded through
// splitmix64). Standard library engines and distributions may change between library
// versions; this one gives the same sequence everywhere, so the pictures come out the
// same byte for byte on every machine.
#pragma once

#include <cstdint>

class TPrng {
public:
    explicit TPrng(uint64_t seed) {
        // splitmix64 spreads small seeds over the whole state; a zero state would stick.
        uint64_t z = seed + 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        state_ = (z ^ (z >> 31)) | 1;
    }

    uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1Dull;
    }

    // Uniform in [0, 1), 53 bits: exact in a double.
    double Unit() { return double(Next() >> 11) * (1.0 / 9007199254740992.0); }
    // Uniform in [-1, 1).
    double Signed() { return 2.0 * Unit() - 1.0; }
    // Uniform integer in [0, n); n > 0.
    int Below(int n) { return int((Next() >> 16) % uint64_t(n)); }

private:
    uint64_t state_;
};
