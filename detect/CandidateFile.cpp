#include "detect/CandidateFile.h"

#include <algorithm>
#include <array>

namespace zwf::detect {

std::size_t ReadFully(ReadableFile& file, std::span<std::byte> buffer, std::error_code& error) {
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        std::size_t got = file.Read(buffer.subspan(filled), error);
        if (got == 0 || error)
            break;
        filled += got;
    }
    return filled;
}

bool AtEnd(ReadableFile& file) {
    std::array<std::byte, 1> probe{};
    std::error_code error;
    return file.Read(probe, error) == 0 && !error;
}

void Refusals::Add(FileIndex file, std::error_code error) {
    std::lock_guard lock(m_mutex);
    m_files.push_back({file, error});
}

std::vector<UnreadFile> Refusals::Take() {
    std::lock_guard lock(m_mutex);
    std::vector<UnreadFile> files = std::move(m_files);
    m_files.clear();
    std::ranges::stable_sort(files, {}, &UnreadFile::file);
    const auto [end, last] = std::ranges::unique(files, {}, &UnreadFile::file);
    files.erase(end, last);
    return files;
}

namespace {

// Files are opened through their folder where the file system can, which spares the walk along
// the whole path (a tenth of the cost of a small file). A thread holds the few folders its files
// have been coming from, and takes a folder up once a file comes from it again soon after one
// opened by its path: a file read again for its copies, somewhere else, is opened by its path and
// leaves the folders held as they are. The folder used least lately makes room.
std::unique_ptr<ReadableFile> Open(const SearchContext& context, FileIndex file, unsigned worker,
                                   std::error_code& error) {
    const FileEntry& entry = context.catalogue.allFiles[file];
    HeldFolder& folders = context.folders[worker];
    const std::uint64_t now = ++folders.opens;
    auto held = std::ranges::find(folders.held, entry.folder, &HeldFolder::Held::id);
    if (held == folders.held.end() && context.fileSystem.OpensReadsInFolders() &&
        std::ranges::find(folders.recent, entry.folder) != folders.recent.end()) {
        held = std::ranges::min_element(folders.held, {}, &HeldFolder::Held::used);
        held->id = entry.folder;
        held->folder = context.fileSystem.OpenFolder(context.catalogue.Path(entry.folder), error);
    }
    if (held != folders.held.end() && held->folder) {
        held->used = now;
        return context.fileSystem.OpenReadIn(*held->folder, entry.name, error);
    }
    folders.recent[now % folders.recent.size()] = entry.folder;
    return context.fileSystem.OpenRead(context.catalogue.FullPath(entry), error);
}

}  // namespace

CandidateFile::CandidateFile(const SearchContext& context, Candidate& candidate, Refusals& refusals, unsigned worker)
    : m_context(&context), m_candidate(&candidate), m_refusals(&refusals) {
    std::error_code error;
    m_handle = Open(context, candidate.file, worker, error);
    if (!m_handle || error) {
        m_handle.reset();
        Refuse(error ? error : std::make_error_code(std::errc::io_error));
        return;
    }
    ++context.tally.filesOpened;
    Admit(m_handle->Status());
}

bool CandidateFile::Admit(const FileStatus& status) {
    if (status.error)
        return Refuse(status.error);
    if (!IsCatalogued(status, m_context->catalogue.allFiles[m_candidate->file]))
        return Refuse(make_error_code(FsError::Changed));
    if (!m_candidate->opened) {
        m_candidate->opened = true;
        m_candidate->seen = status.times;
    } else if (m_candidate->seen != status.times) {
        return Refuse(make_error_code(FsError::Changed));
    }
    return true;
}

bool CandidateFile::Refuse(std::error_code error) {
    m_refusals->Add(m_candidate->file, error);
    m_handle.reset();
    return false;
}

bool CandidateFile::SkipTo(std::uint64_t offset, std::span<std::byte> buffer) {
    if (offset == 0 || m_handle->Seek(offset))
        return true;
    for (std::uint64_t left = offset; left > 0;) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
        if (!Read(buffer.first(want)))
            return false;
        left -= want;
    }
    return true;
}

bool CandidateFile::Read(std::span<std::byte> block) {
    std::error_code error;
    const std::size_t got = ReadFully(*m_handle, block, error);
    Count(got);
    if (got == block.size() && !error)
        return true;
    return Refuse(error ? error : make_error_code(FsError::Changed));  // shorter than catalogued
}

bool CandidateFile::ReadRest(std::span<std::byte> buffer) {
    const std::size_t size = buffer.size() - 1;
    std::error_code error;
    std::size_t got = m_handle->Read(buffer, error);
    if (got != size && got != 0 && !error)
        got += ReadFully(*m_handle, buffer.subspan(got), error);
    Count(got);
    if (got != size || error)
        return Refuse(error ? error : make_error_code(FsError::Changed));  // shorter or longer
    m_atEnd = true;
    return true;
}

void CandidateFile::Count(std::size_t bytes) {
    m_context->tally.bytesRead += bytes;
    m_context->progress.Advance(bytes);
}

bool CandidateFile::Finish() {
    if (!m_atEnd && !AtEnd(*m_handle))
        return Refuse(make_error_code(FsError::Changed));  // it grew since it was catalogued
    return Admit(m_handle->Status());
}

}  // namespace zwf::detect
