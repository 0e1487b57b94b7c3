#pragma once

#include <cstddef>
#include <string>

namespace zwf::test {

// size bytes of file contents that repeat no short block, so a copy cut or shifted anywhere
// differs from the original. Seeds that differ modulo 251 give contents that differ in every byte.
inline std::string Pattern(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + seed * 71 + i / 509) % 251);
    return bytes;
}

}  // namespace zwf::test
