#include "detect/Stages.h"

#include <algorithm>
#include <numeric>
#include <cstring>
#include <iterator>

namespace zwf::detect {

namespace {

constexpr std::size_t kCacheLine = 64;

struct Member {
    CandidateFile file;
    std::span<std::byte> slot;  // this file's part of the shared buffer
};

class SideBySide {
public:
    SideBySide(Bucket& bucket, const SearchContext& context, unsigned worker, Refusals& refusals) : m_bucket(bucket) {
        const std::uint64_t left = bucket.size - bucket.agreed;
        // The threads share the budget: memory stays the same however many read at once.
        const std::size_t budget = kBufferBudget / context.Threads();
        const std::size_t blockBytes = std::clamp<std::size_t>(budget / std::max<std::size_t>(bucket.files.size(), 1),
                                                               kPrefixBytes, kLargestBlock);
        m_blockBytes = static_cast<std::size_t>(std::min<std::uint64_t>(blockBytes, std::max<std::uint64_t>(left, 1)));
        // Every slot starts on a cache line, where the kernel copies fastest. Not zeroed: every
        // byte compared was read into it first.
        // A byte more than a block, for the last read to meet the end of the file.
        const std::size_t slotBytes = (m_blockBytes + 1 + kCacheLine - 1) / kCacheLine * kCacheLine;
        AlignedBuffer& buffer = context.ScratchOf(worker).first;
        buffer.Resize(slotBytes * bucket.files.size());
        m_members.reserve(bucket.files.size());
        std::vector<std::size_t> opened;
        for (Candidate& candidate : bucket.files) {
            std::span<std::byte> slot = buffer.Span().subspan(m_members.size() * slotBytes, m_blockBytes + 1);
            CandidateFile file(context, candidate, refusals, worker);
            if (file && file.SkipTo(bucket.agreed, slot)) {
                file.WillNeed(bucket.agreed, std::min(m_blockBytes, kPrefixBytes));
                opened.push_back(m_members.size());
                m_members.push_back({std::move(file), slot});
            }
        }
        if (opened.size() >= 2)
            m_reading.push_back(std::move(opened));
    }

    void Run(std::vector<Bucket>& settled) {
        // The first look is short, so files that differ early cost little more than an open.
        std::size_t step = std::min(m_blockBytes, kPrefixBytes);
        for (std::uint64_t offset = m_bucket.agreed; offset < m_bucket.size && !m_reading.empty();) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(step, m_bucket.size - offset));
            ReadAndSplit(want, offset + want == m_bucket.size);
            offset += want;
            step = m_blockBytes;
        }
        for (const std::vector<std::size_t>& group : m_reading)
            Finish(group, settled);
    }

private:
    void ReadAndSplit(std::size_t want, bool last) {
        std::vector<std::vector<std::size_t>> next;
        for (const std::vector<std::size_t>& group : m_reading) {
            std::vector<std::vector<std::size_t>> parts;
            for (std::size_t index : group) {
                Member& member = m_members[index];
                if (!(last ? member.file.ReadRest(member.slot.first(want + 1))
                           : member.file.Read(member.slot.first(want))))
                    continue;
                auto same = std::ranges::find_if(parts, [&](const std::vector<std::size_t>& part) {
                    return std::memcmp(m_members[part.front()].slot.data(), member.slot.data(), want) == 0;
                });
                if (same == parts.end())
                    parts.push_back({index});
                else
                    same->push_back(index);
            }
            for (std::vector<std::size_t>& part : parts) {
                if (part.size() >= 2)
                    next.push_back(std::move(part));
                else
                    m_members[part.front()].file.Close();  // the only one of its content
            }
        }
        m_reading = std::move(next);
    }

    void Finish(const std::vector<std::size_t>& group, std::vector<Bucket>& settled) {
        Bucket set{m_bucket.size, m_bucket.size, {}};
        for (std::size_t index : group)
            if (m_members[index].file.Finish())
                set.files.push_back(m_members[index].file.Of());
        if (set.files.size() >= 2)
            settled.push_back(std::move(set));
    }

    Bucket& m_bucket;
    std::size_t m_blockBytes = 0;
    std::vector<Member> m_members;
    std::vector<std::vector<std::size_t>> m_reading;  // groups still agreeing, member indices
};

}  // namespace

StageResult SplitSideBySide(std::vector<Bucket> taken, const SearchContext& context) {
    StageResult result;
    Refusals refusals;
    std::vector<std::vector<Bucket>> found(taken.size());
    // In the order of their first files, which is the order of their folders: neighbouring buckets
    // go to one thread, and copies of one folder's files mostly lie in one other folder, so the
    // thread opens most of them through the few folders it holds.
    std::vector<std::size_t> order(taken.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::ranges::sort(order, {}, [&](std::size_t k) { return taken[k].files.front().file; });
    context.ForEach(taken.size(), [&](std::size_t i, unsigned worker) {
        SideBySide(taken[order[i]], context, worker, refusals).Run(found[order[i]]);
    });
    for (std::vector<Bucket>& sets : found)
        std::ranges::move(sets, std::back_inserter(result.settled));
    result.refused = refusals.Take();
    return result;
}

}  // namespace zwf::detect
