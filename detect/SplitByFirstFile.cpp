#include "detect/Stages.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <tuple>

namespace zwf::detect {

namespace {

// The other files a batch reads with the first file. Each batch reads the first file once more, so
// large batches read less; every thread holds a batch open.
constexpr std::size_t kBatchFiles = 2 * kMaxOpenFiles - 1;

// A file that parted from the first file: at is the first offset where they differ, value the
// file's byte there.
struct Parted {
    Candidate candidate;
    std::uint64_t at = 0;
    std::byte value{};
};

struct BatchOutcome {
    bool firstRead = true;         // the first file was read as far as needed and is still as first seen
    std::vector<Candidate> agree;  // identical with the first file
    std::vector<Parted> parted;
    std::vector<Candidate> unsure;  // not decided, as the first file was lost
};

// Each look is an eighth longer than the last, up to the block: a file that parts from the first
// file was read at most about an eighth beyond where it parted, which is read again when its set
// goes on from there.
std::size_t NextStep(std::size_t step, std::size_t blockBytes) {
    return std::min(step + (step / 8 + kPrefixBytes - 1) / kPrefixBytes * kPrefixBytes, blockBytes);
}

// Reads each block of the first file once, then the same block of each other file still agreeing
// with it, one after another into one buffer. The first look is short, so that files parting
// early cost little more than an open.
BatchOutcome CompareWithFirst(Candidate first, std::span<Candidate> others, const Bucket& bucket,
                              const SearchContext& context, unsigned worker, Refusals& refusals) {
    BatchOutcome outcome;
    Scratch& scratch = context.ScratchOf(worker);
    const std::size_t blockBytes =
        std::clamp<std::size_t>(kBufferBudget / 2 / context.Threads(), kPrefixBytes, kLargestBlock);
    scratch.first.Resize(blockBytes);
    scratch.second.Resize(blockBytes);
    CandidateFile firstFile(context, first, refusals, worker);
    std::vector<CandidateFile> agreeing;
    for (Candidate& other : others)
        if (CandidateFile file(context, other, refusals, worker);
            file && file.SkipTo(bucket.agreed, scratch.second.Span()))
            agreeing.push_back(std::move(file));
    auto firstLost = [&] {
        outcome.firstRead = false;
        for (CandidateFile& file : agreeing)
            outcome.unsure.push_back(file.Of());
        for (const Parted& parted : outcome.parted)
            outcome.unsure.push_back(parted.candidate);
        outcome.parted.clear();
        return outcome;
    };
    if (!firstFile || !firstFile.SkipTo(bucket.agreed, scratch.first.Span()))
        return firstLost();
    std::size_t step = kPrefixBytes;
    for (std::uint64_t offset = bucket.agreed; offset < bucket.size && !agreeing.empty();
         offset += step, step = NextStep(step, blockBytes)) {
        step = static_cast<std::size_t>(std::min<std::uint64_t>(step, bucket.size - offset));
        std::span<std::byte> expected = scratch.first.Span().first(step), other = scratch.second.Span().first(step);
        if (!firstFile.Read(expected))
            return firstLost();
        std::erase_if(agreeing, [&](CandidateFile& file) {
            if (!file.Read(other))
                return true;
            if (std::memcmp(expected.data(), other.data(), step) == 0)
                return false;
            const auto at = static_cast<std::size_t>(std::ranges::mismatch(expected, other).in2 - other.begin());
            outcome.parted.push_back({file.Of(), offset + at, other[at]});
            return true;
        });
    }
    // What the files parted by holds only while the first file is what was first seen: batches
    // read it one after another.
    if (agreeing.empty() ? !firstFile.StillAsSeen() : !firstFile.Finish())
        return firstLost();
    for (CandidateFile& file : agreeing)
        if (file.Finish())
            outcome.agree.push_back(file.Of());
    return outcome;
}

std::vector<Candidate> InCatalogueOrder(std::vector<Candidate> files) {
    std::ranges::sort(files, {}, &Candidate::file);
    return files;
}

// The files that parted together (at the same offset, with the same byte there), as runs of parted.
std::vector<std::span<Parted>> PartedTogether(std::vector<Parted>& parted) {
    std::ranges::sort(parted, {}, [](const Parted& p) { return std::tuple(p.at, p.value, p.candidate.file); });
    std::vector<std::span<Parted>> sets;
    for (auto start = parted.begin(), end = start; start != parted.end(); start = end) {
        end = std::find_if(start, parted.end(),
                           [&](const Parted& p) { return p.at != start->at || p.value != start->value; });
        sets.push_back(std::span(start, end));
    }
    return sets;
}

// Whether most of `count` files went on together hardly beyond `agreed`: a pass that learns so
// little about so many files is not worth repeating.
bool HardlyFurther(std::span<const Parted> set, std::size_t count, std::uint64_t agreed) {
    return 2 * set.size() > count && set.front().at < agreed + kPrefixBytes;
}

// A bucket to pass over, and whether that pass may give up.
struct Work {
    Bucket bucket;
    bool mayGiveUp = false;
};

// The next batches of other files of a bucket, from next on, up to one batch for each thread.
std::vector<std::span<Candidate>> NextBatches(Bucket& bucket, std::size_t& next, unsigned threads) {
    std::vector<std::span<Candidate>> batches;
    while (next < bucket.files.size() && batches.size() < threads) {
        const std::size_t count = std::min(bucket.files.size() - next, kBatchFiles);
        batches.push_back(std::span(bucket.files).subspan(next, count));
        next += count;
    }
    return batches;
}

// One pass over a bucket: settles the first file's copies, gives back what it gave up on, and
// returns the sets the other files parted into, to be passed over again.
std::vector<Work> Pass(Work& work, const SearchContext& context, Refusals& refusals, StageResult& result) {
    Bucket& bucket = work.bucket;
    std::vector<Candidate> set{bucket.files.front()}, unsure;
    std::vector<Parted> parted;
    bool firstLost = false, givenUp = false;
    std::size_t next = 1;
    while (next < bucket.files.size() && !firstLost && !givenUp) {
        const std::size_t roundStart = next;
        std::vector<std::span<Candidate>> batches = NextBatches(bucket, next, context.Threads());
        std::vector<BatchOutcome> outcomes(batches.size());
        context.ForEach(batches.size(), [&](std::size_t b, unsigned worker) {
            outcomes[b] = CompareWithFirst(bucket.files.front(), batches[b], bucket, context, worker, refusals);
        });
        std::vector<Parted> round;
        for (BatchOutcome& batch : outcomes) {
            set.insert(set.end(), batch.agree.begin(), batch.agree.end());
            round.insert(round.end(), batch.parted.begin(), batch.parted.end());
            unsure.insert(unsure.end(), batch.unsure.begin(), batch.unsure.end());
            firstLost = firstLost || !batch.firstRead;
        }
        if (work.mayGiveUp)
            givenUp = std::ranges::any_of(PartedTogether(round), [&](std::span<const Parted> together) {
                return HardlyFurther(together, next - roundStart, bucket.agreed);
            });
        parted.insert(parted.end(), round.begin(), round.end());
    }
    if (firstLost || givenUp) {
        // Where the first file was lost, what was found against it says nothing any more.
        Bucket back{bucket.size, bucket.agreed, std::move(unsure)};
        back.files.insert(back.files.end(), set.begin() + (firstLost ? 1 : 0), set.end());
        for (const Parted& file : parted)
            back.files.push_back(file.candidate);
        back.files.insert(back.files.end(), bucket.files.begin() + static_cast<std::ptrdiff_t>(next),
                          bucket.files.end());
        back.files = InCatalogueOrder(std::move(back.files));
        if (back.files.size() >= 2)
            result.open.push_back(std::move(back));
        return {};
    }
    if (set.size() >= 2)
        result.settled.push_back(Bucket{bucket.size, bucket.size, InCatalogueOrder(std::move(set))});
    std::vector<Work> parts;
    for (std::span<const Parted> together : PartedTogether(parted)) {
        if (together.size() < 2)
            continue;
        Work& part = parts.emplace_back(Work{Bucket{bucket.size, together.front().at + 1, {}},
                                             HardlyFurther(together, bucket.files.size(), bucket.agreed)});
        for (const Parted& file : together)
            part.bucket.files.push_back(file.candidate);
    }
    return parts;
}

// Passes over a bucket with its first file, then over each set it parted into with theirs, until
// the sets are small enough to open at once or the passes give up.
void PassWithFirstFiles(Bucket bucket, const SearchContext& context, Refusals& refusals, StageResult& result) {
    std::vector<Work> work;
    work.push_back({std::move(bucket)});
    while (!work.empty()) {
        Work item = std::move(work.back());
        work.pop_back();
        Bucket& current = item.bucket;
        if (!TooManyToOpenAtOnce(current)) {
            if (current.files.size() >= 2)
                result.open.push_back(std::move(current));
            continue;
        }
        // The batches read the first file at once, so its first look is taken here.
        if (!current.files.front().opened && !CandidateFile(context, current.files.front(), refusals, 0)) {
            current.files.erase(current.files.begin());
            work.push_back(std::move(item));
            continue;
        }
        std::ranges::move(Pass(item, context, refusals, result), std::back_inserter(work));
    }
}

}  // namespace

StageResult SplitByFirstFile(std::vector<Bucket> taken, const SearchContext& context) {
    return EachBucket(taken, [&](Bucket& bucket, Refusals& refusals, StageResult& result) {
        PassWithFirstFiles(std::move(bucket), context, refusals, result);
    });
}

}  // namespace zwf::detect
