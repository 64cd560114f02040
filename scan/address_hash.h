#pragma once
// The hash of the duplicate tests: quick on short byte strings, seeded once
// per run so that no file can pile its addresses into one chain.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <random>
#include <string_view>

namespace korvel::scanning {

inline std::uint64_t HashSeed() noexcept {
  std::uint64_t seed = 0x9E3779B97F4A7C15ull ^ reinterpret_cast<std::uintptr_t>(&seed);
  try {
    std::random_device device;
    seed ^= (static_cast<std::uint64_t>(device()) << 32) ^ device();
  } catch (...) {
    // No source of randomness: the address of the stack still varies.
  }
  return seed;
}

// A quick hash of a short byte string, sixteen bytes at a time in two
// independent lanes.
inline std::uint64_t HashAddress(std::string_view s) {
  static const std::uint64_t seed = HashSeed();
  const char* p = s.data();
  std::size_t left = s.size();
  std::uint64_t a = seed ^ (static_cast<std::uint64_t>(left) * 0xFF51AFD7ED558CCDull);
  std::uint64_t b = seed * 0xC2B2AE3D27D4EB4Full;
  const auto mix = [](std::uint64_t h, std::uint64_t v) {
    h ^= v * 0x87C37B91114253D5ull;
    return ((h << 31) | (h >> 33)) * 0x4CF5AD432745937Full;
  };
  for (; left >= 16; p += 16, left -= 16) {
    std::uint64_t v[2];
    std::memcpy(v, p, 16);
    a = mix(a, v[0]);
    b = mix(b, v[1]);
  }
  // The last bytes, read in overlapping whole pieces rather than one by one.
  const auto load8 = [](const char* at) {
    std::uint64_t v;
    std::memcpy(&v, at, 8);
    return v;
  };
  const auto load4 = [](const char* at) {
    std::uint32_t v;
    std::memcpy(&v, at, 4);
    return static_cast<std::uint64_t>(v);
  };
  if (s.size() >= 16) {
    if (left > 0) {
      a = mix(a, load8(s.data() + s.size() - 16));
      b = mix(b, load8(s.data() + s.size() - 8));
    }
  } else if (left >= 8) {
    a = mix(a, load8(p));
    b = mix(b, load8(p + left - 8));
  } else if (left >= 4) {
    a = mix(a, load4(p) | (load4(p + left - 4) << 32));
  } else if (left > 0) {
    a = mix(a, static_cast<unsigned char>(p[0]) |
                   (static_cast<std::uint64_t>(static_cast<unsigned char>(p[left / 2])) << 8) |
                   (static_cast<std::uint64_t>(static_cast<unsigned char>(p[left - 1])) << 16));
  }
  std::uint64_t h = a ^ ((b << 29) | (b >> 35));
  h ^= h >> 33;
  h *= 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 33;
  return h;
}

}  // namespace korvel::scanning
