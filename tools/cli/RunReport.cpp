#include "RunReport.h"

#include <algorithm>

namespace pellucor::cli {

int RunReport::started(size_t document) {
    std::lock_guard lock(m_mutex);
    if (m_state.at(document) == State::Waiting)
        m_state[document] = State::Started;
    return ++m_started;
}

void RunReport::failed(size_t document) {
    std::lock_guard lock(m_mutex);
    m_state.at(document) = State::Failed;
}

void RunReport::failedOutside() {
    std::lock_guard lock(m_mutex);
    m_failedOutside = true;
}

void RunReport::stopped(Stop reason) {
    std::lock_guard lock(m_mutex);
    if (m_stop == Stop::None)
        m_stop = reason;
}

Stop RunReport::stop() const {
    std::lock_guard lock(m_mutex);
    return m_stop;
}

int RunReport::changed() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_state.begin(), m_state.end(), State::Started));
}

int RunReport::failures() const {
    std::lock_guard lock(m_mutex);
    return static_cast<int>(std::count(m_state.begin(), m_state.end(), State::Failed));
}

bool RunReport::anyFailure() const {
    std::lock_guard lock(m_mutex);
    return m_failedOutside || std::count(m_state.begin(), m_state.end(), State::Failed) > 0;
}

} // namespace pellucor::cli
