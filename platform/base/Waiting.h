#pragma once

#include <functional>

namespace pellucor {

// Asks the run to stop: every wait for another process gives up, and the
// batch run ends after the document in hand. The command line's answer to
// SIGINT and SIGTERM, so safe in a signal handler; 0 takes the request back.
void requestStop(int signal) noexcept;

// The signal that first asked the run to stop, or 0.
int stopRequested() noexcept;

// What the current thread does while it waits for another process, for the
// object's life: the window lets its events run, so that it stays live while
// LibreOffice works. The hook set before comes back afterwards.
class WhileWaiting {
public:
    explicit WhileWaiting(std::function<void()> hook);
    ~WhileWaiting();
    WhileWaiting(const WhileWaiting&) = delete;
    WhileWaiting& operator=(const WhileWaiting&) = delete;

private:
    std::function<void()> m_previous;
};

// How long a wait for another process may go without calling keepWaiting.
inline constexpr int kWaitSliceMs = 25;

// Called by every wait for another process at least every kWaitSliceMs: runs
// the thread's hook (never within itself) and tells whether to go on waiting,
// false once the run was asked to stop. What the hook throws goes to the
// waiter, who must leave nothing half-done behind.
bool keepWaiting();

} // namespace pellucor
