#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/ForwardingFileSystem.h"

namespace zwf::test {

// The native file system with chosen files misbehaving when read: failing after some bytes,
// or dribbling out a few bytes per read as pipes and network shares may.
namespace detail {
struct OwnsNative {
    std::unique_ptr<FileSystem> native = MakeNativeFileSystem();
};
}  // namespace detail

class FaultyReads final : private detail::OwnsNative, public ForwardingFileSystem {
public:
    FaultyReads() : ForwardingFileSystem(*native) {}

    enum class Fault { FailAfter, Dribble };
    struct Rule {
        Fault fault = Fault::FailAfter;
        std::size_t bytes = 0;
        std::size_t healthyOpens = 0;  // opens that still behave before the fault sets in
    };

    std::map<std::string, Rule> rules;  // by full path

    // The rules change as files are opened, so one thread at a time.
    bool ReadsInParallel() const override { return false; }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        auto file = Inner().OpenRead(path, error);
        auto rule = rules.find(path);
        if (!file || rule == rules.end())
            return file;
        if (rule->second.healthyOpens > 0) {
            --rule->second.healthyOpens;
            return file;
        }
        return std::make_unique<FaultyFile>(std::move(file), rule->second);
    }

private:
    class FaultyFile final : public ReadableFile {
    public:
        FaultyFile(std::unique_ptr<ReadableFile> file, Rule rule) : m_file(std::move(file)), m_rule(rule) {}
        std::size_t Read(std::span<std::byte> buffer, std::error_code& error) override {
            if (m_rule.fault == Fault::Dribble)
                return m_file->Read(buffer.first(std::min(buffer.size(), m_rule.bytes)), error);
            if (m_done >= m_rule.bytes) {
                error = std::make_error_code(std::errc::io_error);
                return 0;
            }
            std::size_t got = m_file->Read(buffer.first(std::min(buffer.size(), m_rule.bytes - m_done)), error);
            m_done += got;
            return got;
        }
        FileStatus Status() override { return m_file->Status(); }

    private:
        std::unique_ptr<ReadableFile> m_file;
        Rule m_rule;
        std::size_t m_done = 0;
    };
};

}  // namespace zwf::test
