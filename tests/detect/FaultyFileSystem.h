#pragma once

#include <map>
#include <memory>
#include <string>

#include "platform/FileSystem.h"

namespace zwf::test {

// The native file system with chosen files misbehaving when read: failing after some bytes,
// or dribbling out a few bytes per read as pipes and network shares may.
class FaultyFileSystem final : public FileSystem {
public:
    enum class Fault { FailAfter, Dribble };
    struct Rule {
        Fault fault = Fault::FailAfter;
        std::size_t bytes = 0;
        std::size_t healthyOpens = 0;  // opens that still behave before the fault sets in
    };

    std::map<std::string, Rule> rules;  // by full path

    char Separator() const override { return m_native->Separator(); }
    bool IsRoot(std::string_view folder) const override { return m_native->IsRoot(folder); }
    FolderListing ListFolder(const std::string& folder) override { return m_native->ListFolder(folder); }
    FileStatus Stat(const std::string& path) override { return m_native->Stat(path); }
    std::error_code Delete(const std::string& path) override { return m_native->Delete(path); }
    std::unique_ptr<ReadableFile> OpenRead(const std::string& path, std::error_code& error) override {
        auto file = m_native->OpenRead(path, error);
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

    private:
        std::unique_ptr<ReadableFile> m_file;
        Rule m_rule;
        std::size_t m_done = 0;
    };

    std::unique_ptr<FileSystem> m_native = MakeNativeFileSystem();
};

}  // namespace zwf::test
