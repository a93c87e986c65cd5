#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace pellucor::cli {

// Why a batch run stopped before touching any document.
enum class Stop { None, NothingToDo, NoOutputFolder, WordProcessorOpen };

// What all jobs found, document by document; shared between their threads.
class RunReport {
public:
    explicit RunReport(size_t documents) : m_state(documents, State::Waiting) {}

    // Counts the document as started; returns how many have started so far.
    int started(size_t document);
    void failed(size_t document);
    // An error report shown outside any document.
    void failedOutside();
    void stopped(Stop reason);

    Stop stop() const;
    int changed() const;
    int failures() const;
    bool anyFailure() const;

private:
    enum class State { Waiting, Started, Failed };
    mutable std::mutex m_mutex;
    std::vector<State> m_state;
    int m_started = 0;
    bool m_failedOutside = false;
    Stop m_stop = Stop::None;
};

} // namespace pellucor::cli
