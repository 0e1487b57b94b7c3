#include "detect/TickingFileSystem.h"

namespace zwf::detect {

namespace {
class TickingFile final : public ReadableFile {
public:
    TickingFile(std::unique_ptr<ReadableFile> inner, ProgressMeter& meter) : m_inner(std::move(inner)), m_meter(meter) {}
    std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
        const std::size_t got = m_inner->Read(buffer, error);
        m_meter.Tick();
        return got;
    }
    bool Seek(std::uint64_t offset) override { return m_inner->Seek(offset); }

private:
    std::unique_ptr<ReadableFile> m_inner;
    ProgressMeter& m_meter;
};
}  // namespace

std::unique_ptr<ReadableFile> TickingFileSystem::OpenRead(const std::string& path, std::error_code& error) {
    auto file = Inner().OpenRead(path, error);
    m_meter.Tick();  // an open can take as long as a read
    if (!file || error)
        return nullptr;
    return std::make_unique<TickingFile>(std::move(file), m_meter);
}

}  // namespace zwf::detect
