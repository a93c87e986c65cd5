#include "Waiting.h"

#include <atomic>
#include <utility>

namespace pellucor {
namespace {

std::atomic<int> g_stopSignal = 0;
static_assert(std::atomic<int>::is_always_lock_free, "set from a signal handler");

thread_local std::function<void()> t_hook;
thread_local bool t_inHook = false;

} // namespace

void requestStop(int signal) noexcept {
    if (signal == 0) {
        g_stopSignal.store(0);
        return;
    }
    int none = 0;
    g_stopSignal.compare_exchange_strong(none, signal); // the first one counts
}

int stopRequested() noexcept {
    return g_stopSignal.load();
}

WhileWaiting::WhileWaiting(std::function<void()> hook) : m_previous(std::move(t_hook)) {
    t_hook = std::move(hook);
}

WhileWaiting::~WhileWaiting() {
    t_hook = std::move(m_previous);
}

bool keepWaiting() {
    if (t_hook && !t_inHook) {
        t_inHook = true;
        try {
            t_hook();
        } catch (...) {
            t_inHook = false;
            throw;
        }
        t_inHook = false;
    }
    return stopRequested() == 0;
}

} // namespace pellucor
