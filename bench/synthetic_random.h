#pragma once

#include <cstdint>

// splitmix64: small, fast and the same on every platform, for the synthetic models and their defects.
class SyntheticRandom {
public:
    explicit SyntheticRandom(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform(double lo, double hi) { return lo + (hi - lo) * double(next() >> 11) * 0x1.0p-53; }
    bool percent(int p) { return next() % 100 < std::uint64_t(p); }

private:
    std::uint64_t state_;
};
