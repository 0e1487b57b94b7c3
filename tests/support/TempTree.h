#pragma once

#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace zwf::test {

// A temporary folder filled from a list of (relative path, contents); removed afterwards.
// Relative paths use "/" on every platform; paths handed out are native, UTF-8.
class TempTree {
public:
    using Spec = std::initializer_list<std::pair<std::string_view, std::string_view>>;
    TempTree();
    explicit TempTree(Spec files);
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    // The native path of a file or folder inside the tree; Path() is the tree itself.
    std::string Path(std::string_view relative = {}) const;
    std::filesystem::path FsPath(std::string_view relative = {}) const;

    void Write(std::string_view relative, std::string_view contents) const;
    void MakeFolder(std::string_view relative) const;
    // A sparse file of the given size whose bytes are 0 apart from `tail` written at its end.
    void WriteSparse(std::string_view relative, std::uint64_t size, std::string_view tail) const;
    std::string Read(std::string_view relative) const;
    bool Exists(std::string_view relative) const;

private:
    std::filesystem::path m_root;
};

}  // namespace zwf::test
