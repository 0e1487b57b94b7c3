#pragma once

#include <cstdint>
#include <span>

namespace zwf::detect {

// A fast 64-bit fingerprint of some bytes, keyed with a random key drawn once per run, so that
// nobody can prepare files that share one. It only ever sorts files into candidates: files with
// equal fingerprints are still compared byte for byte, and no stage's work depends on
// fingerprints telling files apart.
std::uint64_t BlockHash(std::span<const std::byte> bytes);

// While one exists, every fingerprint is the same constant: tests use it to show that the groups
// and the work of a search do not depend on the fingerprint. Not for use while a search runs.
class ConstantFingerprintForTest {
public:
    ConstantFingerprintForTest();
    ~ConstantFingerprintForTest();
    ConstantFingerprintForTest(const ConstantFingerprintForTest&) = delete;
    ConstantFingerprintForTest& operator=(const ConstantFingerprintForTest&) = delete;
};

}  // namespace zwf::detect
