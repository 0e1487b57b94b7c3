#include "detect/SmallFiles.h"

#include <algorithm>
#include <cstring>
#include <cstdint>

#include "detect/BlockHash.h"
#include "detect/FileReading.h"

namespace zwf::detect {

namespace {

// Reads a whole file of the given size into buffer; false when it is not exactly that long.
bool ReadWhole(const SearchContext& context, std::size_t file, std::span<std::byte> buffer) {
    std::error_code error;
    auto handle = context.fileSystem.OpenRead(context.PathOf(file), error);
    if (!handle || error)
        return false;
    return ReadFully(*handle, buffer, error) == buffer.size() && !error && AtEnd(*handle);
}

// Works on positions within the bucket and keeps a few numbers per file, no set objects: a
// bucket of tens of thousands of small files costs well under a megabyte.
class SmallFileSplitter {
public:
    SmallFileSplitter(const Bucket& bucket, const SearchContext& context)
        : m_bucket(bucket), m_context(context), m_bytes(static_cast<std::size_t>(bucket.size)),
          m_earlier(m_bytes.size()), m_prints(bucket.files.size()), m_firstOfSet(bucket.files.size(), kNone),
          m_table(TableSize(bucket.files.size()), kNone) {}

    void Run(std::vector<Bucket>& out) {
        Bucket undecided{m_bucket.size, {}, false};
        for (std::uint32_t k = 0; k < m_bucket.files.size(); ++k) {
            if (!Place(k) && m_firstOfSet[k] == kUndecided)
                undecided.files.push_back(m_bucket.files[k]);
        }
        EmitSets(out);
        // Files whose fingerprint met bytes they did not match are compared among themselves later.
        if (undecided.files.size() >= 2)
            out.push_back(std::move(undecided));
        else
            m_context.progress.Advance(m_bucket.size * undecided.files.size());
    }

private:
    static constexpr std::uint32_t kNone = UINT32_MAX, kUndecided = UINT32_MAX - 1;

    static std::size_t TableSize(std::size_t files) {
        std::size_t size = 1;
        while (size < 2 * files)
            size *= 2;
        return size;
    }

    // True when file k found its set (a new one or an earlier file's).
    bool Place(std::uint32_t k) {
        if (!ReadWhole(m_context, m_bucket.files[k], m_bytes)) {
            m_context.progress.Advance(m_bucket.size);
            return false;
        }
        m_prints[k] = BlockHash(m_bytes);
        std::size_t slot = m_prints[k] & (m_table.size() - 1);
        while (m_table[slot] != kNone && m_prints[m_table[slot]] != m_prints[k])
            slot = (slot + 1) & (m_table.size() - 1);
        if (m_table[slot] == kNone) {
            m_table[slot] = k;
            m_firstOfSet[k] = k;
            return true;
        }
        const std::uint32_t first = m_table[slot];
        if (ReadWhole(m_context, m_bucket.files[first], m_earlier) &&
            std::memcmp(m_earlier.data(), m_bytes.data(), m_bytes.size()) == 0) {
            m_firstOfSet[k] = first;
            return true;
        }
        m_firstOfSet[k] = kUndecided;
        return false;
    }

    void EmitSets(std::vector<Bucket>& out) {
        m_table = {};
        const std::size_t count = m_bucket.files.size();
        std::vector<std::uint32_t> members(count, 0), place(count, 0);
        for (std::uint32_t first : m_firstOfSet)
            if (first < kUndecided)
                ++members[first];
        for (std::uint32_t k = 0; k < count; ++k) {
            const std::uint32_t first = m_firstOfSet[k];
            if (first >= kUndecided)
                continue;
            m_context.progress.Advance(m_bucket.size);
            if (members[first] < 2)
                continue;
            if (first == k) {
                place[k] = static_cast<std::uint32_t>(out.size());
                out.push_back(Bucket{m_bucket.size, {}, true});
                out.back().files.reserve(members[first]);
            }
            out[place[first]].files.push_back(m_bucket.files[k]);
        }
    }

    const Bucket& m_bucket;
    const SearchContext& m_context;
    std::vector<std::byte> m_bytes, m_earlier;
    std::vector<std::uint64_t> m_prints;
    std::vector<std::uint32_t> m_firstOfSet;  // per file: position of its set's first file
    std::vector<std::uint32_t> m_table;       // open addressing: fingerprint -> first file of its set
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
