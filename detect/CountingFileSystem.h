#pragma once

#include <atomic>
#include <memory>

#include "detect/SearchTypes.h"
#include "platform/ForwardingFileSystem.h"

namespace zwf::detect {

// Passes every call on to another file system and counts the files opened for reading and
// the bytes read from them, so the search's cost can be measured from outside.
class CountingFileSystem final : public ForwardingFileSystem {
public:
    using ForwardingFileSystem::ForwardingFileSystem;

    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override;

    void AddTo(IoCounters& counters) const {
        counters.filesOpened += m_filesOpened;
        counters.bytesRead += m_bytesRead;
    }

private:
    std::atomic<std::uint64_t> m_filesOpened{0};
    std::atomic<std::uint64_t> m_bytesRead{0};
};

}  // namespace zwf::detect
