#include "detect/CountingFileSystem.h"

namespace zwf::detect {

namespace {
class CountingFile final : public ReadableFile {
public:
    CountingFile(std::unique_ptr<ReadableFile> inner, IoCounters& counters)
        : m_inner(std::move(inner)), m_counters(counters) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        std::size_t got = m_inner->Read(buffer, error);
        m_counters.bytesRead += got;
        return got;
    }
    bool Seek(std::uint64_t offset) override { return m_inner->Seek(offset); }

private:
    std::unique_ptr<ReadableFile> m_inner;
    IoCounters& m_counters;
};
}  // namespace

std::unique_ptr<ReadableFile> CountingFileSystem::OpenRead(const std::string& path, std::error_code& error) {
    auto file = m_inner.OpenRead(path, error);
    if (!file || error)
        return nullptr;
    ++m_counters.filesOpened;
    return std::make_unique<CountingFile>(std::move(file), m_counters);
}

}  // namespace zwf::detect
