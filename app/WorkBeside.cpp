#include "app/WorkBeside.h"

#include <exception>

#include "platform/Threads.h"

namespace zwf {

namespace {

// Ends the job once its news could not be shown; Run throws what showing them threw instead.
struct NotShown {};

}  // namespace

void WorkBeside::Run(const std::function<void()>& job, const std::function<void()>& showNews) {
    m_notShown = false;
    std::exception_ptr showFailed;
    const auto show = [&] {
        if (showFailed)
            return;
        try {
            showNews();
        } catch (...) {
            showFailed = std::current_exception();
            m_notShown = true;
        }
    };
    try {
        ThreadPool(1).ForEach(
            1, [&](std::size_t, unsigned) { job(); }, show);
    } catch (...) {
        if (!showFailed)
            throw;
    }
    show();  // the last news
    if (showFailed)
        std::rethrow_exception(showFailed);
}

void WorkBeside::EndIfNotShown() const {
    if (m_notShown)
        throw NotShown{};
}

}  // namespace zwf
