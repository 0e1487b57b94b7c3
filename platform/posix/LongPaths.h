#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace zwf::posix {

// Opens folders whose full path is longer than the kernel accepts in one call, by walking
// its components with openat. The descriptors of the last walk are kept (a bounded number
// of the deepest ones), so a depth-first walk opens each new folder with a single openat.
class LongPathOpener {
public:
    LongPathOpener() = default;
    LongPathOpener(const LongPathOpener&) = delete;
    LongPathOpener& operator=(const LongPathOpener&) = delete;
    ~LongPathOpener();

    // A descriptor of the folder, owned by this opener and valid until its next call; -1 on failure.
    int Folder(const std::string& path);

private:
    void CloseAll();

    std::string m_path;                              // the folder the kept descriptors lead to
    std::vector<std::pair<std::size_t, int>> m_fds;  // (length of the prefix of m_path, descriptor)
};

// Splits "dir/leaf" into its parent folder and its leaf name; "/leaf" has the parent "/".
std::pair<std::string, std::string> SplitParent(const std::string& path);

}  // namespace zwf::posix
