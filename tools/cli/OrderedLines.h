#pragma once

#include "Console.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace pellucor::cli {

// Lines of many documents, printed on standard output in the order of the
// documents while jobs work on them side by side. The first document not yet
// finished prints as it goes; the others keep their lines until their turn,
// and a job that keeps too many waits for it, so that a document with
// millions of lines never holds them all.
class OrderedLines {
public:
    OrderedLines(Console& console, size_t documents);

    void add(size_t document, std::string line);
    // Prints what the document kept once its turn comes, and hands the turn on.
    void finish(size_t document);

private:
    void printKeptLocked(size_t document);

    Console& m_console;
    std::mutex m_mutex;
    std::condition_variable m_turnMoved;
    size_t m_turn = 0; // the first document not finished
    std::vector<std::vector<std::string>> m_kept;
    std::vector<char> m_finished;
};

} // namespace pellucor::cli
