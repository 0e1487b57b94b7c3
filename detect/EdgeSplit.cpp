#include "detect/EdgeSplit.h"

#include <algorithm>
#include <functional>
#include <optional>

#include "detect/AlignedBuffer.h"
#include "detect/BlockHash.h"
#include "detect/FileReading.h"
#include "detect/Parallel.h"

namespace zwf::detect {

namespace {

// A file's fingerprint, or nothing when the file could not be read as catalogued: error then
// says why, where a read failed.
using Fingerprint = std::optional<std::uint64_t>;
using FingerprintFn =
    std::function<Fingerprint(ReadableFile&, std::uint64_t size, std::span<std::byte> buffer, std::error_code& error)>;

// The block a whole file is fingerprinted in.
constexpr std::size_t kWholePrintBlock = 256 * 1024;

// Files larger than this are looked at from the end as well.
constexpr std::uint64_t kSuffixFromBytes = 1024 * 1024;

// Splits one bucket by the fingerprint of each file, keeping catalogue order in every part.
void SplitBucket(const Bucket& bucket, const std::vector<Fingerprint>& prints, const SearchContext& context,
                 std::vector<Bucket>& out) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < prints.size(); ++i) {
        if (prints[i])
            order.push_back(i);
        else
            context.progress.Advance(bucket.size);
    }
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return *prints[a] < *prints[b]; });
    for (std::size_t start = 0; start < order.size();) {
        std::size_t end = start + 1;
        while (end < order.size() && *prints[order[end]] == *prints[order[start]])
            ++end;
        if (end - start < 2) {
            context.progress.Advance(bucket.size);
        } else {
            Bucket part{bucket.size, {}};
            for (std::size_t k = start; k < end; ++k)
                part.files.push_back(bucket.files[order[k]]);
            std::sort(part.files.begin(), part.files.end());
            out.push_back(std::move(part));
        }
        start = end;
    }
}

// The files of all buckets the stage looks at are fingerprinted in one go, so the threads share
// the whole stage rather than meeting again after every small bucket.
std::vector<Bucket> SplitWhere(std::vector<Bucket> buckets, const SearchContext& context, std::size_t bufferBytes,
                               const std::function<bool(const Bucket&)>& applies, const FingerprintFn& fingerprint) {
    std::vector<std::size_t> chosen;  // the buckets looked at, by index
    for (std::size_t b = 0; b < buckets.size(); ++b)
        if (!buckets[b].confirmed && applies(buckets[b]))
            chosen.push_back(b);
    struct Job {
        std::size_t chosen, position;
    };
    std::vector<Job> jobs;
    std::vector<std::vector<Fingerprint>> prints(chosen.size());
    for (std::size_t c = 0; c < chosen.size(); ++c) {
        prints[c].resize(buckets[chosen[c]].files.size());
        for (std::size_t k = 0; k < prints[c].size(); ++k)
            jobs.push_back({c, k});
    }
    std::vector<AlignedBuffer> buffers(context.Threads());
    context.ForEach(jobs.size(), [&](std::size_t j, unsigned worker) {
        const Bucket& bucket = buckets[chosen[jobs[j].chosen]];
        AlignedBuffer& buffer = buffers[worker];
        // No larger than the file: many threads fingerprinting small files need little memory.
        buffer.Resize(static_cast<std::size_t>(std::clamp<std::uint64_t>(bucket.size, kPrefixBytes, bufferBytes)));
        const std::size_t file = bucket.files[jobs[j].position];
        auto handle = context.Open(file);
        std::error_code error;
        Fingerprint print = handle ? fingerprint(*handle, bucket.size, buffer.Span(), error) : std::nullopt;
        if (handle && !print)
            context.seen.Refuse(file, error ? error : make_error_code(FsError::Changed));  // else shorter or longer
        prints[jobs[j].chosen][jobs[j].position] = print;
    });
    std::vector<Bucket> out;
    for (std::size_t b = 0, c = 0; b < buckets.size(); ++b) {
        if (c < chosen.size() && chosen[c] == b)
            SplitBucket(buckets[b], prints[c++], context, out);
        else
            out.push_back(std::move(buckets[b]));
    }
    return out;
}

Fingerprint PrefixPrint(ReadableFile& file, std::uint64_t size, std::span<std::byte> buffer, std::error_code& error) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(size, kPrefixBytes));
    if (ReadFully(file, buffer.first(want), error) != want || error)
        return std::nullopt;
    if (want == size && !AtEnd(file))
        return std::nullopt;  // grew since it was catalogued
    return BlockHash(buffer.first(want));
}

Fingerprint SuffixPrint(ReadableFile& file, std::uint64_t size, std::span<std::byte> buffer, std::error_code& error) {
    // A file that cannot seek is read its way to the end, so it is fingerprinted as any other.
    if (!file.Seek(size - kPrefixBytes)) {
        for (std::uint64_t left = size - kPrefixBytes; left > 0;) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
            if (ReadFully(file, buffer.first(want), error) != want || error)
                return std::nullopt;
            left -= want;
        }
    }
    if (ReadFully(file, buffer.first(kPrefixBytes), error) != kPrefixBytes || error || !AtEnd(file))
        return std::nullopt;
    return BlockHash(buffer.first(kPrefixBytes));
}

Fingerprint WholePrint(ReadableFile& file, std::uint64_t size, std::span<std::byte> buffer, std::error_code& error) {
    std::uint64_t print = 0;
    for (std::uint64_t left = size; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        if (ReadFully(file, buffer.first(want), error) != want || error)
            return std::nullopt;
        print = BlockHash(std::as_bytes(std::span(&print, 1))) ^ BlockHash(buffer.first(want));
        left -= want;
    }
    if (!AtEnd(file))
        return std::nullopt;
    return print;
}

bool TooLargeToCompareSideBySide(const Bucket& bucket) { return bucket.files.size() > kMaxOpenFiles; }

}  // namespace

std::vector<Bucket> SplitByPrefix(std::vector<Bucket> buckets, const SearchContext& context) {
    return SplitWhere(std::move(buckets), context, kPrefixBytes, TooLargeToCompareSideBySide, PrefixPrint);
}

std::vector<Bucket> SplitBySuffix(std::vector<Bucket> buckets, const SearchContext& context) {
    return SplitWhere(
        std::move(buckets), context, kPrefixBytes, [](const Bucket& bucket) { return bucket.size >= kSuffixFromBytes; },
        SuffixPrint);
}

std::vector<Bucket> SplitByContentFingerprint(std::vector<Bucket> buckets, const SearchContext& context) {
    return SplitWhere(std::move(buckets), context, kWholePrintBlock, TooLargeToCompareSideBySide, WholePrint);
}

}  // namespace zwf::detect
