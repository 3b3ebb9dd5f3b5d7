#pragma once
// The simulator's own random numbers: xoshiro256** seeded through splitmix64. Every draw is
// defined here, so the same seed gives the same world on every standard library.
#include <cmath>
#include <cstdint>

namespace kv::sim {

inline uint64_t SplitMix64(uint64_t& state) {
  uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

class Rng {
 public:
  explicit Rng(uint64_t seed = 1) { Seed(seed); }
  void Seed(uint64_t seed) {
    uint64_t s = seed;
    for (auto& w : s_) w = SplitMix64(s);
  }
  // A generator for a sub-stream (a race, a day) that does not disturb this one's sequence.
  Rng Fork(uint64_t salt) const {
    uint64_t s = s_[0] ^ (s_[1] << 1) ^ (salt * 0xD1B54A32D192ED03ULL);
    return Rng(SplitMix64(s));
  }

  uint64_t Next() {
    const uint64_t result = Rotl(s_[1] * 5, 7) * 9;
    const uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = Rotl(s_[3], 45);
    return result;
  }
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }
  // Uniform integer in [0, n); 0 when n <= 0.
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>((Next() >> 33) % static_cast<uint64_t>(n)); }
  // Uniform integer in [lo, hi].
  int Range(int lo, int hi) { return lo + Below(hi - lo + 1); }
  bool Chance(double p) { return Uniform() < p; }
  // Standard normal (Box-Muller, one value per call).
  double Normal() {
    double u1 = Uniform();
    if (u1 < 1e-300) u1 = 1e-300;
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
  }

 private:
  static uint64_t Rotl(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
  uint64_t s_[4];
};

}  // namespace kv::sim
