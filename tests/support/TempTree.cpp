#include "tests/support/TempTree.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace zwf::test {

namespace fs = std::filesystem;

namespace {
fs::path Utf8Path(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end()));
}
std::string Utf8String(const fs::path& path) {
    std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}
}  // namespace

TempTree::TempTree() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (int attempt = 0;; ++attempt) {
        fs::path candidate = fs::temp_directory_path() /
            ("zwf-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) {
            m_root = candidate;
            return;
        }
        if (attempt > 100)
            throw std::runtime_error("cannot create a temporary folder");
    }
}

TempTree::TempTree(Spec files) : TempTree() {
    for (const auto& [relative, contents] : files)
        Write(relative, contents);
}

TempTree::~TempTree() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
}

fs::path TempTree::FsPath(std::string_view relative) const {
    return relative.empty() ? m_root : (m_root / Utf8Path(relative)).make_preferred();
}

std::string TempTree::Path(std::string_view relative) const { return Utf8String(FsPath(relative)); }

void TempTree::Write(std::string_view relative, std::string_view contents) const {
    const fs::path target = FsPath(relative);
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
    if (!out)
        throw std::runtime_error("cannot write " + Path(relative));
}

void TempTree::MakeFolder(std::string_view relative) const { fs::create_directories(FsPath(relative)); }

void TempTree::WriteSparse(std::string_view relative, std::uint64_t size, std::string_view tail) const {
    const fs::path target = FsPath(relative);
    fs::create_directories(target.parent_path());
    { std::ofstream create(target, std::ios::binary | std::ios::trunc); }
    fs::resize_file(target, size);
    std::fstream out(target, std::ios::binary | std::ios::in | std::ios::out);
    out.seekp(static_cast<std::streamoff>(size - tail.size()));
    out.write(tail.data(), static_cast<std::streamsize>(tail.size()));
}

std::string TempTree::Read(std::string_view relative) const {
    std::ifstream in(FsPath(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool TempTree::Exists(std::string_view relative) const {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(FsPath(relative), ignored));
}

}  // namespace zwf::test
