#include "random.h"

namespace schema::demo {
namespace {

std::uint64_t SplitMix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t Rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

Random::Random(std::uint64_t seed) {
    for (auto& s : s_) s = SplitMix(seed);
}

// xoshiro256**
std::uint64_t Random::Next() {
    const std::uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
}

std::uint64_t Random::Below(std::uint64_t n) {
    if (n == 0) return 0;
    // Rejection keeps every value equally likely.
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % n;
    std::uint64_t x;
    do x = Next();
    while (x >= limit);
    return x % n;
}

long Random::Between(long low, long high) {
    if (high < low) return low;
    return low + static_cast<long>(Below(static_cast<std::uint64_t>(high - low) + 1));
}

bool Random::Percent(int chance) { return Below(100) < static_cast<std::uint64_t>(chance); }

}  // namespace schema::demo
