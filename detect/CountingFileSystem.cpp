#include "detect/CountingFileSystem.h"

namespace zwf::detect {

namespace {
class CountingFile final : public ReadableFile {
public:
    CountingFile(std::unique_ptr<ReadableFile> inner, std::atomic<std::uint64_t>& bytesRead)
        : m_inner(std::move(inner)), m_bytesRead(bytesRead) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        std::size_t got = m_inner->Read(buffer, error);
        m_bytesRead += got;
        return got;
    }
    bool Seek(std::uint64_t offset) override { return m_inner->Seek(offset); }
    FileStatus Status() override { return m_inner->Status(); }

private:
    std::unique_ptr<ReadableFile> m_inner;
    std::atomic<std::uint64_t>& m_bytesRead;
};
}  // namespace

std::unique_ptr<ReadableFile> CountingFileSystem::OpenRead(const std::string& path, std::error_code& error) {
    auto file = Inner().OpenRead(path, error);
    if (!file || error)
        return nullptr;
    ++m_filesOpened;
    return std::make_unique<CountingFile>(std::move(file), m_bytesRead);
}

}  // namespace zwf::detect
