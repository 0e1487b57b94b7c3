#include "detect/FilesEqual.h"

#include <algorithm>

#include "detect/AlignedBuffer.h"
#include "detect/CandidateFile.h"

namespace zwf {

namespace {
// Large reads keep the system calls per byte low; two buffers of this size are all the memory used.
constexpr std::size_t kBlockBytes = 256 * 1024;
}  // namespace

int ContentsEqual(ReadableFile& first, ReadableFile& second, std::uint64_t size, const SearchProgressFn& progress) {
    const FileStatus firstAtStart = first.Status(), secondAtStart = second.Status();
    if (firstAtStart.error || secondAtStart.error)
        return 0;
    const auto blockBytes = static_cast<std::size_t>(std::min<std::uint64_t>(size, kBlockBytes));
    detect::AlignedBuffer firstBlock(blockBytes), secondBlock(blockBytes);
    std::error_code error;
    for (std::uint64_t left = size; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kBlockBytes));
        std::span<std::byte> a = firstBlock.Span().first(want), b = secondBlock.Span().first(want);
        if (detect::ReadFully(first, a, error) != want || error || detect::ReadFully(second, b, error) != want ||
            error || !std::equal(a.begin(), a.end(), b.begin()))
            return 0;
        left -= want;
        if (progress)
            progress(size - left, size);
    }
    if (!detect::AtEnd(first) || !detect::AtEnd(second))
        return 0;
    return SameFile(first.Status(), firstAtStart) && SameFile(second.Status(), secondAtStart) ? 1 : 0;
}

}  // namespace zwf
