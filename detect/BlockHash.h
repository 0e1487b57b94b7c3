#pragma once

#include <cstdint>
#include <span>

namespace zwf::detect {

// A fast 64-bit fingerprint of some bytes. It only ever sorts files into candidates:
// files with equal fingerprints are still compared byte for byte.
std::uint64_t BlockHash(std::span<const std::byte> bytes);

}  // namespace zwf::detect
