#pragma once
// A small deterministic generator: the same seed gives the same numbers on every platform and
// standard library (std:: distributions do not promise that).
#include <cstdint>
#include <span>

namespace schema::demo {

class Random {
public:
    explicit Random(std::uint64_t seed);

    std::uint64_t Next();
    // Uniform in [0, n); 0 when n is 0.
    std::uint64_t Below(std::uint64_t n);
    // Uniform in [low, high]; low when high < low.
    long Between(long low, long high);
    // True with the given chance in percent.
    bool Percent(int chance);
    template <class T>
    const T& Pick(std::span<const T> items) {
        return items[Below(items.size())];
    }

private:
    std::uint64_t s_[4];
};

}  // namespace schema::demo
