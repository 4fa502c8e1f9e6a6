// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <random>

namespace lexfall {

// The one random generator of the program; tests script its numbers.
class Random {
public:
    virtual ~Random() = default;
    // A uniform integer from 0 to range - 1.
    virtual int Below(int range) = 0;
    // Seeds the generator; a scripted generator ignores it.
    virtual void Seed(std::uint64_t) {}
};

class SeededRandom final : public Random {
public:
    explicit SeededRandom(std::uint64_t seed = 0) : engine_(seed) {}
    void Seed(std::uint64_t seed) override { engine_.seed(seed); }
    int Below(int range) override {
        return std::uniform_int_distribution<int>(0, range - 1)(engine_);
    }

private:
    std::mt19937_64 engine_;
};

} // namespace lexfall
