#include "detect/Stages.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "detect/BlockHash.h"
#include "detect/CandidateFile.h"

namespace zwf::detect {

namespace {

// The bytes of files read again for their copies that a bucket keeps at most.
constexpr std::size_t kKeptBytes = 4 * 1024 * 1024;

// Works on positions within the bucket and keeps a few numbers per file, no set objects: a
// bucket of tens of thousands of small files costs well under a megabyte. Several threads may
// place files at once; they share only the fingerprint table, under a lock. The file a set is
// known by is whichever of its files was placed first, so the sets do not depend on timing.
class SmallFileSplitter {
public:
    SmallFileSplitter(Bucket& bucket, const SearchContext& context, Refusals& refusals)
        : m_bucket(bucket), m_size(static_cast<std::size_t>(bucket.size)), m_context(context), m_refusals(refusals),
          m_known(context.Threads(), kNone), m_prints(bucket.files.size()), m_setOf(bucket.files.size(), kNone),
          m_lost(bucket.files.size()),
          m_table(TableSize(bucket.files.size()), kNone) {}

    void Run(StageResult& result) {
        m_context.ForEach(m_bucket.files.size(), [&](std::size_t k, unsigned worker) {
            Place(static_cast<std::uint32_t>(k), worker);
        });
        m_table = {};
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

    static std::size_t TableSize(std::size_t files) {
        std::size_t size = 1;
        while (size < 2 * files)
            size *= 2;
        return size;
    }

    // Reads file k whole into buffer (a byte longer than the file); the file, still open, or an
    // empty one when it cannot be read as catalogued.
    CandidateFile ReadWhole(std::uint32_t k, unsigned worker, AlignedBuffer& buffer) {
        buffer.Resize(m_size + 1);
        CandidateFile file(m_context, m_bucket.files[k], m_refusals, worker);
        if (file && !file.ReadWhole(buffer.Span()))
            file.Close();
        return file;
    }

    void Place(std::uint32_t k, unsigned worker) {
        Scratch& scratch = m_context.ScratchOf(worker);
        CandidateFile file = ReadWhole(k, worker, scratch.first);
        if (!file)
            return;  // stays kNone: in no set
        const std::uint32_t known = FindOrAdd(k, BlockHash(scratch.first.Span().first(m_size)));
        if (known == k) {
            // The first of its content so far, perhaps the only one: written to between its open
            // and its read, it is named, not left out unseen. A copy of a content already known
            // needs no such look: its bytes match what is on record.
            m_setOf[k] = file.StillAsSeen() ? k : kNone;
            swap(scratch.first, scratch.second);  // kept for the copies that follow
            m_known[worker] = k;
        } else if (KnownBytes(known, worker) &&
                   std::memcmp(scratch.second.Data(), scratch.first.Data(), m_size) == 0) {
            m_setOf[k] = known;
        } else {
            m_setOf[k] = kUndecided;
        }
    }

    // The bytes of the file a set is known by, in the worker's second buffer. A thread keeps the
    // last such file it read, so that a bucket of copies is read about once rather than twice.
    // A file that had to be read again for a copy is kept for the search's other copies of it,
    // while kKeptBytes last: copies of many files in folder after folder (backups) then need each
    // original read again once, not once for every copy.
    bool KnownBytes(std::uint32_t known, unsigned worker) {
        if (m_known[worker] == known)
            return true;
        m_known[worker] = kNone;
        AlignedBuffer& bytes = m_context.ScratchOf(worker).second;
        {
            std::lock_guard lock(m_keptMutex);
            if (const auto kept = m_keptAt.find(known); kept != m_keptAt.end()) {
                bytes.Resize(m_size);
                std::memcpy(bytes.Data(), m_kept.data() + kept->second, m_size);
                m_known[worker] = known;
                return true;
            }
        }
        // Read again only while it is still the file first seen, so that no two copies are matched
        // with two different contents of it.
        if (CandidateFile file = ReadWhole(known, worker, bytes); !file || !file.StillAsSeen()) {
            m_lost[known] = true;  // refused
            return false;
        }
        m_known[worker] = known;
        std::lock_guard lock(m_keptMutex);
        if (m_kept.size() + m_size <= kKeptBytes) {
            m_kept.reserve(kKeptBytes);  // in one piece: thousands of small pieces made the heap grow in steps
            m_keptAt.emplace(known, m_kept.size());
            m_kept.insert(m_kept.end(), bytes.Data(), bytes.Data() + m_size);
        }
        return true;
    }

    // A set whose file failed when one thread read it again may hold copies that another thread
    // had matched with it before: the set stays open whole, or it would come out as two groups of
    // one content.
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
        std::lock_guard lock(m_tableMutex);
        m_prints[k] = print;
        std::size_t slot = print & (m_table.size() - 1);
        while (m_table[slot] != kNone && m_prints[m_table[slot]] != print)
            slot = (slot + 1) & (m_table.size() - 1);
        if (m_table[slot] == kNone)
            m_table[slot] = k;
        return m_table[slot];
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
    std::vector<std::uint32_t> m_known;   // per worker: whose bytes its second buffer holds
    std::vector<std::uint64_t> m_prints;
    std::vector<std::uint32_t> m_setOf;   // per file: the file its set is known by
    std::vector<std::atomic<bool>> m_lost;  // per file: refused when read again for a copy
    std::vector<std::uint32_t> m_table;   // open addressing: fingerprint -> file its set is known by
    std::mutex m_tableMutex;
    std::vector<std::byte> m_kept;                            // files read again, one after another
    std::unordered_map<std::uint32_t, std::size_t> m_keptAt;  // by position: where in m_kept
    std::mutex m_keptMutex;
};

bool ManySmallFiles(const Bucket& bucket) {
    return TooManyToOpenAtOnce(bucket) && bucket.size <= kSmallFileBytes;
}

}  // namespace

StageResult SplitSmallFilesByContent(std::vector<Bucket> buckets, const SearchContext& context) {
    StageResult result;
    Refusals refusals;
    for (Bucket& bucket : buckets) {
        if (ManySmallFiles(bucket))
            SmallFileSplitter(bucket, context, refusals).Run(result);
        else
            result.open.push_back(std::move(bucket));
    }
    result.refused = refusals.Take();
    return result;
}

}  // namespace zwf::detect
