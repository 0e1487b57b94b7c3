#include "detect/Stages.h"

#include <algorithm>
#include <cstring>

namespace zwf::detect {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

enum class Order { Less, Same, Greater, FirstUnreadable, SecondUnreadable };

class ContentSorter {
public:
    ContentSorter(Bucket& bucket, const SearchContext& context, Refusals& refusals)
        : m_bucket(bucket), m_context(context), m_refusals(refusals), m_scratch(context.ScratchOf(0)) {
        m_scratch.first.Resize(kBlockBytes);
        m_scratch.second.Resize(kBlockBytes);
    }

    // A set of files known identical, by position in the bucket; the first is the one read for the set.
    using Set = std::vector<std::size_t>;

    // Bottom-up: runs of sets in increasing content order, merged pairwise until one is left.
    std::vector<Set> Sort() {
        std::vector<std::vector<Set>> runs;
        for (std::size_t k = 0; k < m_bucket.files.size(); ++k)
            runs.push_back({Set{k}});
        while (runs.size() > 1) {
            std::vector<std::vector<Set>> merged;
            for (std::size_t i = 0; i + 1 < runs.size(); i += 2)
                merged.push_back(Merge(std::move(runs[i]), std::move(runs[i + 1])));
            if (runs.size() % 2 == 1)
                merged.push_back(std::move(runs.back()));
            runs = std::move(merged);
        }
        return runs.empty() ? std::vector<Set>{} : std::move(runs.front());
    }

private:
    std::vector<Set> Merge(std::vector<Set> a, std::vector<Set> b) {
        std::vector<Set> out;
        std::size_t i = 0, j = 0;
        while (i < a.size() && j < b.size()) {
            switch (Compare(a[i].front(), b[j].front())) {
            case Order::Less: out.push_back(std::move(a[i++])); break;
            case Order::Greater: out.push_back(std::move(b[j++])); break;
            case Order::Same:
                // Each run holds every content once, so neither neighbour can equal these two.
                a[i].insert(a[i].end(), b[j].begin(), b[j].end());
                out.push_back(std::move(a[i++]));
                ++j;
                break;
            case Order::FirstUnreadable: DropFront(a, i); break;
            case Order::SecondUnreadable: DropFront(b, j); break;
            }
        }
        for (; i < a.size(); ++i)
            out.push_back(std::move(a[i]));
        for (; j < b.size(); ++j)
            out.push_back(std::move(b[j]));
        return out;
    }

    // The file read for a set can no longer be read: the set's next file stands in for it, as
    // it was found identical while both were as first seen.
    static void DropFront(std::vector<Set>& sets, std::size_t& index) {
        sets[index].erase(sets[index].begin());
        if (sets[index].empty())
            ++index;
    }

    // Compares two files block by block up to their first difference; Same only when both were
    // read in full, ended at their size and are still as first seen.
    Order Compare(std::size_t first, std::size_t second) {
        std::span<std::byte> x = m_scratch.first.Span(), y = m_scratch.second.Span();
        CandidateFile a(m_context, m_bucket.files[first], m_refusals, 0);
        if (!a || !a.SkipTo(m_bucket.agreed, x))
            return Order::FirstUnreadable;
        CandidateFile b(m_context, m_bucket.files[second], m_refusals, 0);
        if (!b || !b.SkipTo(m_bucket.agreed, y))
            return Order::SecondUnreadable;
        // The first look is short, as different files mostly part early, and each next one twice
        // as long: files that part later are read at most about twice as far as they agree.
        std::size_t step = kPrefixBytes;
        for (std::uint64_t offset = m_bucket.agreed; offset < m_bucket.size;
             offset += step, step = std::min(2 * step, kBlockBytes)) {
            step = static_cast<std::size_t>(std::min<std::uint64_t>(step, m_bucket.size - offset));
            if (!a.Read(x.first(step)))
                return Order::FirstUnreadable;
            if (!b.Read(y.first(step)))
                return Order::SecondUnreadable;
            if (const int order = std::memcmp(x.data(), y.data(), step); order != 0)
                return order < 0 ? Order::Less : Order::Greater;
        }
        if (!a.Finish())
            return Order::FirstUnreadable;
        if (!b.Finish())
            return Order::SecondUnreadable;
        return Order::Same;
    }

    Bucket& m_bucket;
    const SearchContext& m_context;
    Refusals& m_refusals;
    Scratch& m_scratch;
};

void SortBucket(Bucket& bucket, const SearchContext& context, Refusals& refusals, std::vector<Bucket>& settled) {
    Refusals found;
    std::vector<ContentSorter::Set> sets = ContentSorter(bucket, context, found).Sort();
    // A file found changed after it joined its set leaves it.
    std::vector<FileIndex> refused;
    for (const UnreadFile& file : found.Take()) {
        refused.push_back(file.file);
        refusals.Add(file.file, file.error);
    }
    for (ContentSorter::Set& set : sets) {
        Bucket out{bucket.size, bucket.size, {}};
        for (std::size_t k : set)
            if (!std::ranges::binary_search(refused, bucket.files[k].file))
                out.files.push_back(bucket.files[k]);
        std::ranges::sort(out.files, {}, &Candidate::file);
        if (out.files.size() >= 2)
            settled.push_back(std::move(out));
    }
}

}  // namespace

StageResult SplitBySortingContent(std::vector<Bucket> taken, const SearchContext& context) {
    return EachBucket(taken, [&](Bucket& bucket, Refusals& refusals, StageResult& result) {
        SortBucket(bucket, context, refusals, result.settled);
    });
}

}  // namespace zwf::detect
