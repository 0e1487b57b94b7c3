#pragma once

#include <memory>

#include "detect/ProgressMeter.h"
#include "platform/ForwardingFileSystem.h"

namespace zwf::detect {

// Passes every call on to another file system and gives the progress meter a chance to report
// after every read, so that a file read from start to end in one go (a fingerprint, a
// comparison whose bytes count only once it is decided) never keeps the window waiting.
class TickingFileSystem final : public ForwardingFileSystem {
public:
    TickingFileSystem(FileSystem& inner, ProgressMeter& meter) : ForwardingFileSystem(inner), m_meter(meter) {}

    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override;

private:
    ProgressMeter& m_meter;
};

}  // namespace zwf::detect
