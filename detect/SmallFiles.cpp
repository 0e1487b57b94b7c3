#include "detect/SmallFiles.h"

#include <algorithm>
#include <cstring>
#include <cstdint>
#include <mutex>

#include "detect/AlignedBuffer.h"
#include "detect/BlockHash.h"
#include "detect/FileReading.h"
#include "detect/Parallel.h"

namespace zwf::detect {

namespace {

// Reads a whole file into buffer, which is one byte longer than the file should be; the file,
// still open, or nothing when it is not exactly that long.
std::unique_ptr<ReadableFile> ReadWhole(const SearchContext& context, std::size_t file, std::span<std::byte> buffer) {
    auto handle = context.Open(file);
    if (!handle)
        return nullptr;
    std::error_code error;
    if (!ReadWholeFile(*handle, buffer, error)) {
        context.seen.Refuse(file, error ? error : make_error_code(FsError::Changed));
        return nullptr;
    }
    return handle;
}

// Works on positions within the bucket and keeps a few numbers per file, no set objects: a
// bucket of tens of thousands of small files costs well under a megabyte. Several threads may
// place files at once; they share only the fingerprint table, under a lock. The file a set is
// known by is whichever of its files was placed first, so the sets do not depend on timing.
class SmallFileSplitter {
public:
    SmallFileSplitter(const Bucket& bucket, const SearchContext& context)
        : m_bucket(bucket), m_size(static_cast<std::size_t>(bucket.size)), m_context(context),
          m_scratch(context.Threads()), m_prints(bucket.files.size()), m_setOf(bucket.files.size(), kNone),
          m_table(TableSize(bucket.files.size()), kNone) {
        for (Scratch& scratch : m_scratch) {  // a byte more, to meet the end of each file in one read
            scratch.bytes.Resize(m_size + 1);
            scratch.known.Resize(m_size + 1);
        }
    }

    void Run(std::vector<Bucket>& out) {
        m_context.ForEach(m_bucket.files.size(),
                          [&](std::size_t k, unsigned worker) { Place(static_cast<std::uint32_t>(k), m_scratch[worker]); });
        m_table = {};
        UndecideSetsOfRefusedFiles();
        EmitSets(out);
        // Files whose fingerprint met bytes they did not match are compared among themselves later.
        Bucket undecided{m_bucket.size, {}, false};
        for (std::uint32_t k = 0; k < m_setOf.size(); ++k)
            if (m_setOf[k] == kUndecided)
                undecided.files.push_back(m_bucket.files[k]);
        if (undecided.files.size() >= 2)
            out.push_back(std::move(undecided));
        else
            m_context.progress.Advance(m_bucket.size * undecided.files.size());
    }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX, kUndecided = UINT32_MAX - 1;

    struct Scratch {
        AlignedBuffer bytes, known;
        std::uint32_t knownFile = kNone;  // whose bytes `known` holds
    };

    static std::size_t TableSize(std::size_t files) {
        std::size_t size = 1;
        while (size < 2 * files)
            size *= 2;
        return size;
    }

    void Place(std::uint32_t k, Scratch& scratch) {
        const auto handle = ReadWhole(m_context, m_bucket.files[k], scratch.bytes.Span());
        if (!handle) {
            m_context.progress.Advance(m_bucket.size);
            return;  // stays kNone: in no set
        }
        const std::uint32_t known = FindOrAdd(k, BlockHash(scratch.bytes.Span().first(m_size)));
        if (known == k) {
            // The first of its content so far, perhaps the only one: written to between its open
            // and its read, it is named, not left out unseen. A copy of a content already known
            // needs no such look: its bytes match what is on record.
            m_setOf[k] = m_context.seen.StillAsSeen(m_bucket.files[k], *handle) ? k : kNone;
            swap(scratch.bytes, scratch.known);  // kept for the copies that follow
            scratch.knownFile = k;
        } else if (KnownBytes(known, scratch) &&
                   std::memcmp(scratch.known.Data(), scratch.bytes.Data(), m_size) == 0) {
            m_setOf[k] = known;
        } else {
            m_setOf[k] = kUndecided;
        }
    }

    // The bytes of the file a set is known by. A thread keeps the last such file it read, so
    // that a bucket of copies is read about once rather than twice.
    bool KnownBytes(std::uint32_t known, Scratch& scratch) {
        if (scratch.knownFile == known)
            return true;
        scratch.knownFile = kNone;
        if (!ReadWhole(m_context, m_bucket.files[known], scratch.known.Span()))
            return false;
        scratch.knownFile = known;
        return true;
    }

    // A set whose file failed when one thread read it again may hold copies that another thread
    // had matched with it before: the set goes on whole to the later stages, or it would come
    // out as two groups of one content.
    void UndecideSetsOfRefusedFiles() {
        for (std::uint32_t& set : m_setOf)
            if (set < kUndecided && m_context.seen.Refused(m_bucket.files[set]))
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

    void EmitSets(std::vector<Bucket>& out) {
        const std::size_t count = m_bucket.files.size();
        std::vector<std::uint32_t> members(count, 0), place(count, kNone);
        for (std::uint32_t set : m_setOf)
            if (set < kUndecided)
                ++members[set];
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t set = m_setOf[k];
            if (set >= kUndecided)
                continue;
            m_context.progress.Advance(m_bucket.size);
            if (members[set] < 2)
                continue;
            if (place[set] == kNone) {
                place[set] = static_cast<std::uint32_t>(out.size());
                out.push_back(Bucket{m_bucket.size, {}, true});
                out.back().files.reserve(members[set]);
            }
            out[place[set]].files.push_back(m_bucket.files[k]);
        }
    }

    const Bucket& m_bucket;
    const std::size_t m_size;  // of every file in the bucket
    const SearchContext& m_context;
    std::vector<Scratch> m_scratch;            // one per thread
    std::vector<std::uint64_t> m_prints;
    std::vector<std::uint32_t> m_setOf;        // per file: the file its set is known by
    std::vector<std::uint32_t> m_table;        // open addressing: fingerprint -> file its set is known by
    std::mutex m_tableMutex;
};

bool ManySmallFiles(const Bucket& bucket) {
    return !bucket.confirmed && bucket.files.size() > kMaxOpenFiles && bucket.size <= kSmallFileBytes;
}

}  // namespace

std::vector<Bucket> SplitSmallFilesByContent(std::vector<Bucket> buckets, const SearchContext& context) {
    std::vector<Bucket> out;
    for (Bucket& bucket : buckets) {
        if (ManySmallFiles(bucket))
            SmallFileSplitter(bucket, context).Run(out);
        else
            out.push_back(std::move(bucket));
    }
    return out;
}

}  // namespace zwf::detect
