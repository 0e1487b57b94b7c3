#include "detect/Stages.h"

#include <algorithm>
#include <optional>

#include "detect/BlockHash.h"
#include "detect/CandidateFile.h"

namespace zwf::detect {

namespace {

// The fingerprint of a piece of one file, or nothing when the file was refused.
std::optional<std::uint64_t> Fingerprint(CandidateFile& file, Piece piece, std::uint64_t size, AlignedBuffer& buffer) {
    buffer.Resize(
        static_cast<std::size_t>(std::clamp<std::uint64_t>(piece.to - piece.from, kPrefixBytes, kLargestBlock)));
    if (!file.SkipTo(piece.from, buffer.Span()))
        return std::nullopt;
    std::uint64_t print = 0;
    for (std::uint64_t offset = piece.from; offset < piece.to;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(piece.to - offset, buffer.Size()));
        if (!file.Read(buffer.Span().first(want)))
            return std::nullopt;
        print = BlockHash(std::as_bytes(std::span(&print, 1))) ^ BlockHash(buffer.Span().first(want));
        offset += want;
    }
    if (piece.to == size && !file.Finish())
        return std::nullopt;
    return print;
}

// Splits one bucket by the fingerprints of its files, keeping catalogue order in every part.
void SplitBucket(Bucket& bucket, const std::vector<std::optional<std::uint64_t>>& prints, StageResult& result) {
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < prints.size(); ++i)
        if (prints[i])
            order.push_back(i);
    std::ranges::stable_sort(order, {}, [&](std::size_t i) { return *prints[i]; });
    for (auto start = order.begin(), end = start; start != order.end(); start = end) {
        end = std::find_if(start, order.end(), [&](std::size_t i) { return *prints[i] != *prints[*start]; });
        if (end - start >= 2) {  // in catalogue order: the sort kept the order of equal prints
            Bucket& out = result.open.emplace_back(Bucket{bucket.size, bucket.agreed, {}});
            for (auto file = start; file != end; ++file)
                out.files.push_back(bucket.files[*file]);
        }
    }
}

}  // namespace

StageResult SplitByFingerprint(std::vector<Bucket> taken, const SearchContext& context, PieceOf pieceOf) {
    StageResult result;
    Refusals refusals;
    struct Job {
        std::size_t bucket, position;
        Piece piece;
    };
    std::vector<Job> jobs;
    std::vector<std::vector<std::optional<std::uint64_t>>> prints(taken.size());
    for (std::size_t b = 0; b < taken.size(); ++b) {
        const Piece piece = pieceOf(taken[b]);
        prints[b].resize(taken[b].files.size());
        for (std::size_t k = 0; k < taken[b].files.size(); ++k)
            jobs.push_back({b, k, piece});
    }
    context.ForEach(jobs.size(), [&](std::size_t j, unsigned worker) {
        Bucket& bucket = taken[jobs[j].bucket];
        CandidateFile file(context, bucket.files[jobs[j].position], refusals, worker);
        if (file)
            prints[jobs[j].bucket][jobs[j].position] =
                Fingerprint(file, jobs[j].piece, bucket.size, context.ScratchOf(worker).first);
    });
    for (std::size_t b = 0; b < taken.size(); ++b)
        SplitBucket(taken[b], prints[b], result);
    result.refused = refusals.Take();
    return result;
}

}  // namespace zwf::detect
