#include "detect/FileReading.h"

#include <array>

namespace zwf::detect {

std::size_t ReadFully(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        std::size_t got = file.Read(buffer.subspan(filled), error);
        if (got == 0 || error)
            break;
        filled += got;
    }
    return filled;
}

bool AtEnd(ReadableFile& file) {
    std::array<std::byte, 1> probe{};
    std::error_code error;
    return file.Read(probe, error) == 0 && !error;
}

}  // namespace zwf::detect
