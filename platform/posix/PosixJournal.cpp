#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/StepJournal.h"
#include "platform/posix/UniqueFd.h"

namespace zwf {

namespace {

constexpr std::string_view kJournalPrefix = "schritte-";

// $XDG_STATE_HOME/zwillingsfeger, or ~/.local/state/zwillingsfeger; "" without a home.
std::string StateFolder() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state && *state == '/')
        return std::string(state) + "/zwillingsfeger";
    const char* home = std::getenv("HOME");
    return home && *home ? std::string(home) + "/.local/state/zwillingsfeger" : std::string();
}

// folder as a path from the root: the next start that reads the journal may run in another folder.
std::string Absolute(const std::string& folder) {
    if (folder.starts_with('/'))
        return folder;
    std::string here(4096, '\0');
    if (::getcwd(here.data(), here.size()) == nullptr)
        return folder;  // written as given: a scan of it still puts the file back
    here.resize(std::char_traits<char>::length(here.c_str()));
    return here + (here.ends_with('/') ? "" : "/") + folder;
}

// Makes folder and the folders above it that are missing.
bool MakeFolders(const std::string& folder) {
    for (std::size_t cut = 1; cut != std::string::npos;) {
        cut = folder.find('/', cut + 1);
        const std::string part = folder.substr(0, cut);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
    }
    return true;
}

class PosixJournal final : public StepLog {
public:
    ~PosixJournal() override {
        if (m_fd < 0)
            return;
        ::unlink(m_path.c_str());  // before the lock goes with the descriptor
        ::close(m_fd);
    }

    void WillMoveAside(const std::string& folder, const std::string& privateName) override {
        if (m_fd < 0 && !m_failed)
            Open();
        if (m_fd >= 0)
            WriteAll(m_fd, JournalLine(Absolute(folder), privateName));  // one write: whole, or not at all
    }

    void WillWriteTrashRecord(const std::string& infoFolder, const std::string& name,
                              const std::string& record) override {
        if (m_fd < 0 && !m_failed)
            Open();
        if (m_fd >= 0)
            WriteAll(m_fd, TrashRecordLine(infoFolder, name, record));
    }

private:
    void Open() {
        m_failed = true;
        const std::string folder = StateFolder();
        if (folder.empty() || !MakeFolders(folder))
            return;
        std::random_device random;
        m_path =
            folder + "/" + std::string(kJournalPrefix) + std::to_string(::getpid()) + "-" + std::to_string(random());
        m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
            ::unlink(m_path.c_str());
            ::close(m_fd);
            m_fd = -1;
            return;
        }
        m_failed = false;
    }

    std::string m_path;
    int m_fd = -1;
    bool m_failed = false;
};

}  // namespace

std::unique_ptr<StepLog> OpenStepJournal() { return std::make_unique<PosixJournal>(); }

std::vector<LoggedStep> TakeAbandonedSteps() {
    std::vector<LoggedStep> steps;
    const std::string folder = StateFolder();
    DIR* dir = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!dir)
        return steps;
    std::vector<std::string> journals;
    while (const dirent* entry = ::readdir(dir))
        if (std::string_view(entry->d_name).starts_with(kJournalPrefix))
            journals.push_back(folder + "/" + entry->d_name);
    ::closedir(dir);
    for (const std::string& path : journals) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd < 0)
            continue;
        // A journal still locked belongs to a process that runs.
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            std::string text;
            char buffer[4096];
            for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;)
                text.append(buffer, static_cast<std::size_t>(got));
            for (LoggedStep& step : ParseJournal(text))
                steps.push_back(std::move(step));
            ::unlink(path.c_str());
        }
        ::close(fd);
    }
    return steps;
}

}  // namespace zwf
