#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <system_error>
#include <vector>

#include "detect/Bucket.h"
#include "detect/SearchContext.h"

namespace zwf::detect {

// Reads until buffer is full, the file ends or a read fails (error set). A file may deliver
// fewer bytes per read than asked for, so one Read is never taken as the whole answer.
std::size_t ReadFully(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error);

// True when the next read finds the end of the file: a file that grew since it was catalogued
// has bytes left over and was therefore not compared in full.
bool AtEnd(ReadableFile& file);

// The files a stage could not read as catalogued, with the first reason given for each. Safe to
// add to from several threads.
class Refusals {
public:
    void Add(FileIndex file, std::error_code error);
    // Each file once, in catalogue order.
    std::vector<UnreadFile> Take();

private:
    std::mutex m_mutex;
    std::vector<UnreadFile> m_files;
};

// A candidate opened for reading: the only way the search reads a file. It is read only while it
// is the file catalogued (a regular file of its identity and size) with the times it had when the
// search first opened it; when it is not, or a read fails or comes up short, the real reason goes
// to the refusals, and the file is put down. Every byte read counts towards the progress.
class CandidateFile {
public:
    // Opened by the worker given, with its buffers (the searching thread, outside ForEach: 0).
    CandidateFile(const SearchContext& context, Candidate& candidate, Refusals& refusals, unsigned worker);

    // Open and not refused.
    explicit operator bool() const { return m_handle != nullptr; }
    const Candidate& Of() const { return *m_candidate; }

    // Moves to offset from the start: by seeking, or by reading its way through buffer where the
    // file cannot seek (a stream), so that such a file is compared as any other.
    bool SkipTo(std::uint64_t offset, std::span<std::byte> buffer);
    void WillNeed(std::uint64_t offset, std::size_t length) { m_handle->WillNeed(offset, length); }
    // Reads exactly block.size() bytes.
    bool Read(std::span<std::byte> block);
    // Reads the rest of the file, up to its catalogued size, into buffer, which is one byte longer
    // than that rest: a first read that stops short of the extra byte has met the end, which saves
    // the read that would find it (a tenth of a search over many small files).
    bool ReadRest(std::span<std::byte> buffer);
    // Whether it is still as first seen, once read.
    bool StillAsSeen() { return Admit(m_handle->Status()); }
    // Once read up to its catalogued size: whether it ends there and is still as first seen.
    bool Finish();
    // Puts the file down without a verdict.
    void Close() { m_handle.reset(); }

private:
    bool Admit(const FileStatus& status);
    bool Refuse(std::error_code error);
    void Count(std::size_t bytes);

    const SearchContext* m_context;
    Candidate* m_candidate;
    Refusals* m_refusals;
    std::unique_ptr<ReadableFile> m_handle;
    bool m_atEnd = false;  // a read met the end
};

}  // namespace zwf::detect
