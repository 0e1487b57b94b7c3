#include "tests/support/PairwiseOracle.h"

#include <array>
#include <memory>
#include <string>

namespace zwf::test {

namespace {

// Byte-at-a-time reader over a small buffer, deliberately simple.
class ByteReader {
public:
    ByteReader(FileSystem& fileSystem, const std::string& path) {
        std::error_code error;
        m_file = fileSystem.OpenRead(path, error);
        if (error)
            m_file.reset();
    }
    bool Opened() const { return m_file != nullptr; }
    // False at the end of the file or on a read error.
    bool Next(std::byte& out) {
        if (m_pos == m_got) {
            std::error_code error;
            m_got = m_file->Read(m_buffer, error);
            m_pos = 0;
            if (m_got == 0 || error)
                return false;
        }
        out = m_buffer[m_pos++];
        return true;
    }

private:
    std::unique_ptr<ReadableFile> m_file;
    std::array<std::byte, 4096> m_buffer{};
    std::size_t m_pos = 0, m_got = 0;
};

bool SameBytes(FileSystem& fileSystem, const std::string& first, const std::string& second, std::uint64_t size) {
    ByteReader a(fileSystem, first), b(fileSystem, second);
    if (!a.Opened() || !b.Opened())
        return false;
    std::byte x{}, y{};
    for (std::uint64_t i = 0; i < size; ++i) {
        if (!a.Next(x) || !b.Next(y) || x != y)
            return false;
    }
    return !a.Next(x) && !b.Next(y);
}

std::vector<bool> LaterRecordsOfOneFile(const std::vector<FileEntry>& files) {
    std::vector<bool> later(files.size(), false);
    for (std::size_t i = 0; i < files.size(); ++i)
        for (std::size_t j = 0; j < i && !later[i]; ++j)
            later[i] = files[i].identity.Known() && files[j].identity == files[i].identity;
    return later;
}

}  // namespace

std::vector<OracleGroup> PairwiseGroups(const Catalogue& catalogue, FileSystem& fileSystem) {
    const auto& files = catalogue.allFiles;
    const std::vector<bool> excluded = LaterRecordsOfOneFile(files);
    std::vector<bool> claimed(files.size(), false);
    std::vector<OracleGroup> groups;
    for (std::size_t o = 0; o < files.size(); ++o) {
        if (excluded[o] || files[o].size == 0)
            continue;
        OracleGroup group{files[o].size, {o}};
        for (std::size_t i = o + 1; i < files.size(); ++i) {
            if (excluded[i] || claimed[i] || files[i].size != files[o].size)
                continue;
            if (SameBytes(fileSystem, catalogue.FullPath(files[i]), catalogue.FullPath(files[o]), files[i].size)) {
                claimed[i] = true;
                group.sources.push_back(i);
            }
        }
        if (group.sources.size() > 1)
            groups.push_back(std::move(group));
    }
    return groups;
}

std::vector<OracleGroup> GroupsOf(const Catalogue& catalogue) {
    std::vector<OracleGroup> groups;
    for (const DuplicateGroup& group : catalogue.groups) {
        OracleGroup copy{group.size, {}};
        for (const GroupMember& member : catalogue.Members(group))
            copy.sources.push_back(member.source);
        groups.push_back(std::move(copy));
    }
    return groups;
}

}  // namespace zwf::test
