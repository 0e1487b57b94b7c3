#include "platform/posix/LongPaths.h"

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace zwf::posix {

namespace {
constexpr std::size_t kKeptDescriptors = 64;

bool SharesPrefix(const std::string& path, const std::string& kept, std::size_t length) {
    if (path.size() < length || kept.size() < length)
        return false;
    if (path.compare(0, length, kept, 0, length) != 0)
        return false;
    return path.size() == length || path[length] == '/' || length == 1;  // length 1 is "/"
}
}  // namespace

LongPathOpener::~LongPathOpener() { CloseAll(); }

void LongPathOpener::CloseAll() {
    for (auto& [length, fd] : m_fds)
        ::close(fd);
    m_fds.clear();
}

int LongPathOpener::Folder(const std::string& path) {
    // Keep the deepest descriptor that leads to a prefix of path, drop the ones below it.
    while (!m_fds.empty() && !SharesPrefix(path, m_path, m_fds.back().first)) {
        ::close(m_fds.back().second);
        m_fds.pop_back();
    }
    std::size_t done = 0;
    if (!m_fds.empty()) {
        done = m_fds.back().first;
    } else {
        // Start from the longest prefix that ends at a separator and is short enough to open at once.
        std::size_t limit = std::min<std::size_t>(path.size(), PATH_MAX - 1);
        std::size_t cut = path.rfind('/', limit);
        if (cut == std::string::npos)
            return -1;
        std::string first = cut == 0 ? std::string("/") : path.substr(0, cut);
        if (path.size() < PATH_MAX)
            first = path, cut = path.size();
        int fd = ::open(first.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return -1;
        m_fds.emplace_back(cut == 0 ? 1 : cut, fd);
        done = m_fds.back().first;
    }
    m_path = path;
    while (done < path.size()) {
        std::size_t begin = path[done] == '/' ? done + 1 : done;
        std::size_t end = path.find('/', begin);
        if (end == std::string::npos)
            end = path.size();
        if (end == begin) {  // doubled separator
            done = end;
            continue;
        }
        std::string component = path.substr(begin, end - begin);
        int fd = ::openat(m_fds.back().second, component.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            m_path.resize(m_fds.back().first);
            return -1;
        }
        m_fds.emplace_back(end, fd);
        if (m_fds.size() > kKeptDescriptors) {
            ::close(m_fds.front().second);
            m_fds.erase(m_fds.begin());
        }
        done = end;
    }
    return m_fds.back().second;
}

std::pair<std::string, std::string> SplitParent(const std::string& path) {
    std::size_t cut = path.rfind('/');
    if (cut == std::string::npos)
        return {".", path};
    if (cut == 0)
        return {"/", path.substr(1)};
    return {path.substr(0, cut), path.substr(cut + 1)};
}

}  // namespace zwf::posix
