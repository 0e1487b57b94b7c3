#include "detect/BlockHash.h"

#include <array>
#include <atomic>
#include <cstring>
#include <random>

namespace zwf::detect {

namespace {

// Bytes are hashed in chunks of this many 32-bit words (1 KiB).
constexpr std::size_t kChunkWords = 256;
// The second lane reads the key this many words further on, which makes it independent.
constexpr std::size_t kLaneShift = 4;

struct Key {
    std::array<std::uint32_t, kChunkWords + kLaneShift> words{};
    std::uint64_t start = 0;
};

std::atomic<bool> g_constant{false};

// Drawn from the operating system once per run: without it, differences between two files that
// cancel out in the fingerprint cannot be chosen in advance.
const Key& RunKey() {
    static const Key key = [] {
        std::random_device device;
        Key drawn;
        for (std::uint32_t& word : drawn.words)
            word = static_cast<std::uint32_t>(device());
        drawn.start = (std::uint64_t{device()} << 32) ^ device();
        return drawn;
    }();
    return key;
}

std::uint64_t Mix(std::uint64_t value) {
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    return value ^ (value >> 33);
}

// Two lanes of the NH universal hash over one chunk: for two different chunks, each lane's
// outputs agree for at most one key in 2^32, and the key is unknown to whoever wrote the files.
std::uint64_t HashChunk(const std::byte* bytes, std::size_t words, const Key& key) {
    std::uint64_t first = 0, second = 0;
    for (std::size_t i = 0; i < words; i += 2) {
        std::uint64_t pair;
        std::memcpy(&pair, bytes + 4 * i, 8);
        const auto low = static_cast<std::uint32_t>(pair), high = static_cast<std::uint32_t>(pair >> 32);
        first += std::uint64_t{static_cast<std::uint32_t>(low + key.words[i])} *
                 static_cast<std::uint32_t>(high + key.words[i + 1]);
        second += std::uint64_t{static_cast<std::uint32_t>(low + key.words[i + kLaneShift])} *
                  static_cast<std::uint32_t>(high + key.words[i + 1 + kLaneShift]);
    }
    return first ^ (second << 32 | second >> 32);
}

}  // namespace

std::uint64_t BlockHash(std::span<const std::byte> bytes) {
    if (g_constant.load(std::memory_order_relaxed))
        return 0;
    const Key& key = RunKey();
    std::uint64_t hash = key.start;
    constexpr std::size_t kChunkBytes = 4 * kChunkWords;
    std::size_t offset = 0;
    // Each chunk's lanes pass through a bijective mix, so a difference in one chunk persists
    // unless a later chunk's lanes happen to cancel it, which needs the key to arrange.
    for (; offset + kChunkBytes <= bytes.size(); offset += kChunkBytes)
        hash = Mix(hash ^ HashChunk(bytes.data() + offset, kChunkWords, key));
    if (const std::size_t left = bytes.size() - offset; left > 0) {
        // The last bytes, filled up with zeros to whole pairs of words only: the length, mixed
        // in at the end, keeps apart inputs that differ only by zeros at their ends.
        const std::size_t padded = (left + 7) / 8 * 8;
        std::array<std::byte, kChunkBytes> last;
        std::memcpy(last.data(), bytes.data() + offset, left);
        std::memset(last.data() + left, 0, padded - left);
        hash = Mix(hash ^ HashChunk(last.data(), padded / 4, key));
    }
    return Mix(hash ^ bytes.size());
}

ConstantFingerprintForTest::ConstantFingerprintForTest() { g_constant = true; }
ConstantFingerprintForTest::~ConstantFingerprintForTest() { g_constant = false; }

}  // namespace zwf::detect
