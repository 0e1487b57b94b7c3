#include "detect/ContentOrder.h"

#include <algorithm>
#include <cstring>

#include "detect/AlignedBuffer.h"

namespace zwf::detect {

namespace {

constexpr std::size_t kBlockBytes = 64 * 1024;

enum class Order { Less, Same, Greater, FirstUnreadable, SecondUnreadable };

class ContentSorter {
public:
    ContentSorter(std::uint64_t size, const SearchContext& context)
        : m_size(size), m_context(context), m_first(kBlockBytes), m_second(kBlockBytes) {}

    // A set of files known identical, in any order; the first is the one read for the set.
    using Set = std::vector<std::size_t>;

    // Bottom-up: runs of sets in increasing content order, merged pairwise until one is left.
    std::vector<Set> Sort(const std::vector<std::size_t>& files) {
        std::vector<std::vector<Set>> runs;
        for (std::size_t file : files)
            runs.push_back({Set{file}});
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
            case Order::Less:
                out.push_back(std::move(a[i++]));
                break;
            case Order::Greater:
                out.push_back(std::move(b[j++]));
                break;
            case Order::Same:
                // Each run holds every content once, so neither neighbour can equal these two.
                a[i].insert(a[i].end(), b[j].begin(), b[j].end());
                out.push_back(std::move(a[i++]));
                ++j;
                break;
            case Order::FirstUnreadable:
                DropFront(a, i);
                break;
            case Order::SecondUnreadable:
                DropFront(b, j);
                break;
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
        auto a = m_context.Open(first);
        if (!a)
            return Order::FirstUnreadable;
        auto b = m_context.Open(second);
        if (!b)
            return Order::SecondUnreadable;
        // The first look is short, as different files mostly part early, and each next one twice
        // as long: files that part later are read at most about twice as far as they agree.
        std::size_t step = std::min(kPrefixBytes, kBlockBytes);
        for (std::uint64_t offset = 0; offset < m_size; offset += step, step = std::min(2 * step, kBlockBytes)) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(step, m_size - offset));
            std::span<std::byte> x = m_first.Span().first(want), y = m_second.Span().first(want);
            if (!ReadExactly(m_context, first, *a, x))
                return Order::FirstUnreadable;
            if (!ReadExactly(m_context, second, *b, y))
                return Order::SecondUnreadable;
            if (const int order = std::memcmp(x.data(), y.data(), want); order != 0)
                return order < 0 ? Order::Less : Order::Greater;
            m_context.progress.Tick();  // long comparisons still let the window answer
        }
        if (!EndsAsSeen(m_context, first, *a))
            return Order::FirstUnreadable;
        if (!EndsAsSeen(m_context, second, *b))
            return Order::SecondUnreadable;
        return Order::Same;
    }

    std::uint64_t m_size;
    const SearchContext& m_context;
    AlignedBuffer m_first, m_second;
};

}  // namespace

Partition SplitBySortingContent(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context) {
    Partition partition;
    for (std::vector<std::size_t>& set : ContentSorter(size, context).Sort(files)) {
        // A file found changed after it joined its set leaves it.
        std::erase_if(set, [&](std::size_t file) { return context.seen.Refused(file); });
        if (set.empty())
            continue;
        std::sort(set.begin(), set.end());
        partition.classes.push_back(std::move(set));
    }
    for (std::size_t file : files)
        if (context.seen.Refused(file))
            partition.unreadable.push_back(file);
    context.progress.Advance(size * files.size());
    return partition;
}

}  // namespace zwf::detect
