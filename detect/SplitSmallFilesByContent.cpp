#include "detect/Stages.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cstdint>
#include <cstring>
#include <memory>
#include <tuple>
#include <vector>

#include "detect/BlockHash.h"

namespace zwf::detect {

namespace {

// Works on positions within the bucket and keeps a few numbers per file, no set objects: a
// bucket of tens of thousands of small files costs well under a megabyte besides the files kept.
// Several threads may place files at once; they share the fingerprint table and the files kept.
// The file a set is known by is whichever of its files was placed first, so the sets do not depend
// on timing.
class SmallFileSplitter {
public:
    SmallFileSplitter(Bucket& bucket, const SearchContext& context, Refusals& refusals)
        : m_bucket(bucket), m_size(static_cast<std::size_t>(bucket.size)), m_context(context), m_refusals(refusals),
          m_slots(Slots(bucket, context.keptBytes)),
          m_kept(std::make_unique_for_overwrite<std::byte[]>(m_slots * m_size)), m_keptAt(bucket.files.size()),
          m_prints(bucket.files.size()), m_setOf(bucket.files.size(), kNone), m_lost(bucket.files.size()),
          m_table(std::bit_ceil(2 * bucket.files.size())) {
        for (std::atomic<std::uint32_t>& slot : m_table)
            slot.store(kNone, std::memory_order_relaxed);
    }

    // How many of a bucket's files may be kept in keptBytes.
    static std::size_t Slots(const Bucket& bucket, std::size_t keptBytes) {
        return std::min(bucket.files.size(), keptBytes / std::max<std::size_t>(bucket.size, 1));
    }
    std::size_t Files() const { return m_bucket.files.size(); }
    FileIndex FileAt(std::uint32_t k) const { return m_bucket.files[k].file; }

    // Reads file k and places it in a set; several threads may place files at once.
    void Place(std::uint32_t k, unsigned worker) {
        AlignedBuffer& bytes = m_context.ScratchOf(worker).first;
        CandidateFile file = ReadWhole(k, worker, bytes);
        if (!file)
            return;  // stays kNone: in no set
        const std::uint32_t known = FindOrAdd(k, BlockHash(bytes.Span().first(m_size)));
        if (known == k) {
            // The first of its content so far, perhaps the only one: written to between its open
            // and its read, it is named, not left out unseen. A copy of a content already known
            // needs no such look: its bytes match what is on record. Kept before that look, for
            // copies other threads place meanwhile; a copy matched with a file then named has its
            // set undecided.
            Keep(k, bytes.Data());
            m_setOf[k] = file.StillAsSeen() ? k : kNone;
        } else if (const std::byte* knownBytes = KnownBytes(known, worker);
                   knownBytes && std::memcmp(knownBytes, bytes.Data(), m_size) == 0) {
            m_setOf[k] = known;
        } else {
            m_setOf[k] = kUndecided;
        }
    }

    // Once every file is placed: the sets, and the files still undecided.
    void Settle(StageResult& result) {
        m_table = decltype(m_table)();
        m_kept.reset();
        UndecideSetsOfRefusedFiles();
        EmitSets(result);
        // Files whose fingerprint met bytes they did not match are compared among themselves later.
        Bucket undecided{m_bucket.size, 0, {}};
        for (std::uint32_t k = 0; k < m_setOf.size(); ++k)
            if (m_setOf[k] == kUndecided)
                undecided.files.push_back(m_bucket.files[k]);
        if (undecided.files.size() >= 2)
            result.open.push_back(std::move(undecided));
    }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX, kUndecided = UINT32_MAX - 1;

    // Reads file k whole into buffer (a byte longer than the file); the file, still open, or an
    // empty one when it cannot be read as catalogued.
    CandidateFile ReadWhole(std::uint32_t k, unsigned worker, AlignedBuffer& buffer) {
        buffer.Resize(m_size + 1);
        CandidateFile file(m_context, m_bucket.files[k], m_refusals, worker);
        if (file && !file.ReadRest(buffer.Span()))
            file.Close();
        return file;
    }

    // The bytes of the file a set is known by. A copy's original was mostly read long before
    // (copies of files anywhere before them), and only so many files can be kept: the first of
    // each content while the search's keptBytes last, so the files at the start of a bucket, which
    // the most later files can copy. Any other is read again for each copy.
    const std::byte* KnownBytes(std::uint32_t known, unsigned worker) {
        if (const std::size_t at = m_keptAt[known].load(std::memory_order_acquire); at > 0)
            return m_kept.get() + (at - 1) * m_size;
        // Read again only while it is still the file first seen, so that no two copies are matched
        // with two different contents of it.
        AlignedBuffer& bytes = m_context.ScratchOf(worker).second;
        if (CandidateFile file = ReadWhole(known, worker, bytes); !file || !file.StillAsSeen()) {
            m_lost[known] = true;  // refused
            return nullptr;
        }
        return bytes.Data();
    }

    void Keep(std::uint32_t k, const std::byte* bytes) {
        if (const std::size_t slot = m_slotsTaken.fetch_add(1); slot < m_slots) {
            std::memcpy(m_kept.get() + slot * m_size, bytes, m_size);
            m_keptAt[k].store(static_cast<std::uint32_t>(slot + 1), std::memory_order_release);
        }
    }

    // A set whose file failed when read again may hold copies matched with it before: the set
    // stays open whole, or it would come out as two groups of one content.
    void UndecideSetsOfRefusedFiles() {
        for (std::uint32_t k = 0; k < m_setOf.size(); ++k)
            if (m_lost[k])
                m_setOf[k] = kNone;
        for (std::uint32_t& set : m_setOf)
            if (set < kUndecided && m_setOf[set] == kNone)
                set = kUndecided;
    }

    // The file already known by this fingerprint, or k itself when it is the first.
    std::uint32_t FindOrAdd(std::uint32_t k, std::uint64_t print) {
        m_prints[k] = print;  // before k goes into the table, which shows it to the other threads
        const std::size_t mask = m_table.size() - 1;
        for (std::size_t slot = print & mask;; slot = (slot + 1) & mask) {
            std::uint32_t there = m_table[slot].load(std::memory_order_acquire);
            if (there == kNone && m_table[slot].compare_exchange_strong(there, k, std::memory_order_acq_rel))
                return k;
            if (m_prints[there] == print)  // there: the file in the slot, perhaps just put there
                return there;
        }
    }

    void EmitSets(StageResult& result) {
        const std::size_t count = m_bucket.files.size();
        std::vector<std::uint32_t> members(count, 0), place(count, kNone);
        for (std::uint32_t set : m_setOf)
            if (set < kUndecided)
                ++members[set];
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t set = m_setOf[k];
            if (set >= kUndecided || members[set] < 2)
                continue;
            if (place[set] == kNone) {
                place[set] = static_cast<std::uint32_t>(result.settled.size());
                result.settled.push_back(Bucket{m_bucket.size, m_bucket.size, {}});
                result.settled.back().files.reserve(members[set]);
            }
            result.settled[place[set]].files.push_back(m_bucket.files[k]);
        }
    }

    Bucket& m_bucket;
    const std::size_t m_size;  // of every file in the bucket
    const SearchContext& m_context;
    Refusals& m_refusals;
    // Files kept, one after another, in one piece (thousands of small pieces made the heap grow in
    // steps); each is written once, before the file's place in it is told.
    const std::size_t m_slots;
    std::unique_ptr<std::byte[]> m_kept;
    std::atomic<std::size_t> m_slotsTaken = 0;
    std::vector<std::atomic<std::uint32_t>> m_keptAt;  // per file: its slot + 1, or 0 where not kept
    std::vector<std::uint64_t> m_prints;
    std::vector<std::uint32_t> m_setOf;     // per file: the file its set is known by
    std::vector<std::atomic<bool>> m_lost;  // per file: refused when read again for a copy
    // Open addressing, without a lock: fingerprint -> the file its set is known by.
    std::vector<std::atomic<std::uint32_t>> m_table;
};

}  // namespace

StageResult SplitSmallFilesByContent(std::vector<Bucket> taken, const SearchContext& context) {
    StageResult result;
    Refusals refusals;
    // Buckets a few at a time, their files read in one round in catalogue order, which is the
    // order of their folders: neighbouring files go to one thread, which opens them through the
    // folder it holds. A round keeps at most a quarter of what one bucket may: on /usr that is as
    // fast as rounds that keep the whole, with a third less memory at the peak.
    const std::size_t roundKeeps = context.keptBytes / 4;
    for (std::size_t next = 0; next < taken.size();) {
        std::vector<std::unique_ptr<SmallFileSplitter>> splitters;
        for (std::size_t kept = 0; next < taken.size(); ++next) {
            const std::size_t bytes = SmallFileSplitter::Slots(taken[next], context.keptBytes) * taken[next].size;
            if (!splitters.empty() && kept + bytes > roundKeeps)
                break;
            kept += bytes;
            splitters.push_back(std::make_unique<SmallFileSplitter>(taken[next], context, refusals));
        }
        std::vector<std::tuple<FileIndex, std::uint32_t, std::uint32_t>> jobs;  // file, splitter, position
        for (std::uint32_t s = 0; s < splitters.size(); ++s)
            for (std::uint32_t k = 0; k < splitters[s]->Files(); ++k)
                jobs.emplace_back(splitters[s]->FileAt(k), s, k);
        std::ranges::sort(jobs);
        context.ForEach(jobs.size(), [&](std::size_t j, unsigned worker) {
            splitters[std::get<1>(jobs[j])]->Place(std::get<2>(jobs[j]), worker);
        });
        for (const auto& splitter : splitters)
            splitter->Settle(result);
    }
    result.refused = refusals.Take();
    return result;
}

}  // namespace zwf::detect
