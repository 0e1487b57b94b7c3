#include "detect/SideBySide.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <span>

#include "detect/AlignedBuffer.h"
#include "detect/FileReading.h"

namespace zwf::detect {

namespace {

constexpr std::size_t kLargestBlock = 256 * 1024;
constexpr std::size_t kCacheLine = 64;

struct Member {
    std::size_t file = 0;
    std::unique_ptr<ReadableFile> handle;
    std::span<std::byte> slot;  // this file's part of the shared buffer
    std::uint64_t read = 0;
};

class SideBySide {
public:
    SideBySide(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context,
               CountProgress countProgress)
        : m_size(size), m_context(context), m_count(countProgress == CountProgress::Yes) {
        // The threads share the budget: memory stays the same however many read at once.
        const std::size_t budget = kBufferBudget / context.Threads();
        const std::size_t blockBytes =
            std::clamp<std::size_t>(budget / std::max<std::size_t>(files.size(), 1), kPrefixBytes, kLargestBlock);
        m_blockBytes = static_cast<std::size_t>(std::min<std::uint64_t>(blockBytes, size));
        // Every slot starts on a cache line, where the kernel copies fastest. Not zeroed: every
        // byte compared was read into it first.
        m_slotBytes = (m_blockBytes + kCacheLine - 1) / kCacheLine * kCacheLine;
        m_buffer->Resize(m_slotBytes * files.size());
        for (std::size_t file : files)
            Open(file);
    }

    Partition Run() {
        // The first look is short, so files that differ early cost little more than an open.
        std::uint64_t offset = 0;
        std::size_t step = std::min(m_blockBytes, kPrefixBytes);
        while (offset < m_size && !m_reading.empty()) {
            const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(step, m_size - offset));
            ReadAndSplit(want);
            offset += want;
            step = m_blockBytes;
        }
        for (std::vector<std::size_t>& group : m_reading)
            FinishGroup(group);
        return std::move(m_result);
    }

private:
    void Open(std::size_t file) {
        Member member{file, m_context.Open(file), {}};
        if (!member.handle) {
            m_result.unreadable.push_back(file);
            Done(0);
            return;
        }
        member.slot = m_buffer->Span().subspan(m_members.size() * m_slotBytes, m_blockBytes);
        if (m_reading.empty())
            m_reading.emplace_back();
        m_reading.front().push_back(m_members.size());
        m_members.push_back(std::move(member));
    }

    void ReadAndSplit(std::size_t want) {
        std::vector<std::vector<std::size_t>> next;
        for (const std::vector<std::size_t>& group : m_reading) {
            std::vector<std::vector<std::size_t>> parts;
            for (std::size_t index : group) {
                if (!ReadBlock(index, want))
                    continue;
                auto same = std::find_if(parts.begin(), parts.end(), [&](const std::vector<std::size_t>& part) {
                    return std::memcmp(m_members[part.front()].slot.data(), m_members[index].slot.data(), want) == 0;
                });
                if (same == parts.end())
                    parts.push_back({index});
                else
                    same->push_back(index);
            }
            for (std::vector<std::size_t>& part : parts) {
                if (part.size() == 1)
                    Settle({part.front()});
                else
                    next.push_back(std::move(part));
            }
        }
        m_reading = std::move(next);
    }

    bool ReadBlock(std::size_t index, std::size_t want) {
        Member& member = m_members[index];
        std::error_code error;
        const std::size_t got = ReadFully(*member.handle, member.slot.first(want), error);
        member.read += got;
        if (m_count)
            m_context.progress.Advance(got);
        if (got == want && !error)
            return true;
        Unreadable(index, error ? error : make_error_code(FsError::Changed));  // an error, or shorter than catalogued
        return false;
    }

    void FinishGroup(const std::vector<std::size_t>& group) {
        std::vector<std::size_t> ended;
        for (std::size_t index : group) {
            Member& member = m_members[index];
            if (!AtEnd(*member.handle))
                Unreadable(index, make_error_code(FsError::Changed));  // it grew since it was catalogued
            else if (!m_context.seen.StillAsSeen(member.file, *member.handle))
                Unreadable(index, {});  // written to while it was read; already recorded
            else
                ended.push_back(index);
        }
        if (!ended.empty())
            Settle(ended);
    }

    // Files whose class is decided: what is left unread of them counts as done.
    void Settle(const std::vector<std::size_t>& indices) {
        std::vector<std::size_t> files;
        for (std::size_t index : indices) {
            files.push_back(m_members[index].file);
            Close(index);
        }
        m_result.classes.push_back(std::move(files));
    }

    void Unreadable(std::size_t index, std::error_code error) {
        if (error)
            m_context.seen.Refuse(m_members[index].file, error);
        m_result.unreadable.push_back(m_members[index].file);
        Close(index);
    }

    void Done(std::uint64_t read) {
        if (m_count)
            m_context.progress.Advance(m_size - std::min(read, m_size));
    }

    void Close(std::size_t index) {
        m_members[index].handle.reset();
        Done(m_members[index].read);
    }

    std::uint64_t m_size;
    const SearchContext& m_context;
    bool m_count;
    std::size_t m_blockBytes = 0;
    std::size_t m_slotBytes = 0;
    BorrowedBuffer m_buffer;
    std::vector<Member> m_members;
    std::vector<std::vector<std::size_t>> m_reading;  // groups still agreeing, member indices
    Partition m_result;
};

struct OpenFile {
    std::size_t file = 0;
    std::unique_ptr<ReadableFile> handle;
};

}  // namespace

bool ReadExactly(const SearchContext& context, std::size_t file, ReadableFile& handle, std::span<std::byte> block) {
    std::error_code error;
    if (ReadFully(handle, block, error) == block.size() && !error)
        return true;
    context.seen.Refuse(file, error ? error : make_error_code(FsError::Changed));
    return false;
}

bool EndsAsSeen(const SearchContext& context, std::size_t file, ReadableFile& handle) {
    if (!AtEnd(handle)) {
        context.seen.Refuse(file, make_error_code(FsError::Changed));  // it grew since it was catalogued
        return false;
    }
    return context.seen.StillAsSeen(file, handle);
}

AgreementWithFirst CompareWithFirst(const std::vector<std::size_t>& files, std::uint64_t size,
                                    const SearchContext& context) {
    AgreementWithFirst result;
    OpenFile first{files.front(), context.Open(files.front())};
    std::vector<OpenFile> agreeing;
    for (std::size_t k = 1; k < files.size(); ++k) {
        if (auto handle = context.Open(files[k]))
            agreeing.push_back({files[k], std::move(handle)});
        else
            result.unreadable.push_back(files[k]);
    }
    auto firstLost = [&] {
        result.unreadable.push_back(first.file);
        for (OpenFile& open : agreeing)
            result.rest.push_back(open.file);
        return result;
    };
    if (!first.handle)
        return firstLost();
    // The threads share the budget; the first look is short and each next one twice as long, so
    // files that part early cost little more than an open.
    const std::size_t blockBytes =
        std::clamp<std::size_t>(kBufferBudget / 2 / context.Threads(), kPrefixBytes, kLargestBlock);
    BorrowedBuffer firstBlock, otherBlock;
    firstBlock->Resize(blockBytes);
    otherBlock->Resize(blockBytes);
    std::size_t step = kPrefixBytes;
    for (std::uint64_t offset = 0; offset < size && !agreeing.empty(); offset += step, step = std::min(2 * step, blockBytes)) {
        step = static_cast<std::size_t>(std::min<std::uint64_t>(step, size - offset));
        std::span<std::byte> expected = firstBlock->Span().first(step), other = otherBlock->Span().first(step);
        if (!ReadExactly(context, first.file, *first.handle, expected))
            return firstLost();
        std::erase_if(agreeing, [&](OpenFile& open) {
            if (!ReadExactly(context, open.file, *open.handle, other)) {
                result.unreadable.push_back(open.file);
                return true;
            }
            if (std::memcmp(expected.data(), other.data(), step) == 0)
                return false;
            result.rest.push_back(open.file);
            return true;
        });
    }
    result.firstRead = true;
    if (agreeing.empty())
        return result;
    if (!EndsAsSeen(context, first.file, *first.handle))
        return firstLost();
    for (OpenFile& open : agreeing) {
        if (EndsAsSeen(context, open.file, *open.handle))
            result.agree.push_back(open.file);
        else
            result.unreadable.push_back(open.file);
    }
    return result;
}

Partition CompareSideBySide(const std::vector<std::size_t>& files, std::uint64_t size, const SearchContext& context,
                            CountProgress countProgress) {
    return SideBySide(files, size, context, countProgress).Run();
}

}  // namespace zwf::detect
