#include "detect/BlockHash.h"

#include <cstring>

namespace zwf::detect {

namespace {
constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;

std::uint64_t Mix(std::uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    return value ^ (value >> 33);
}
}  // namespace

std::uint64_t BlockHash(std::span<const std::byte> bytes) {
    // Four independent lanes keep the multiplications from waiting on each other.
    std::uint64_t lanes[4] = {1, 2, 3, 4};
    std::size_t i = 0;
    for (; i + 32 <= bytes.size(); i += 32) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t word;
            std::memcpy(&word, bytes.data() + i + 8 * lane, 8);
            lanes[lane] = (lanes[lane] ^ word) * kMultiplier;
            lanes[lane] ^= lanes[lane] >> 29;
        }
    }
    std::uint64_t hash = bytes.size();
    for (; i < bytes.size(); ++i)
        hash = (hash ^ static_cast<std::uint64_t>(bytes[i])) * kMultiplier;
    for (std::uint64_t lane : lanes)
        hash = Mix(hash ^ lane);
    return hash;
}

}  // namespace zwf::detect
