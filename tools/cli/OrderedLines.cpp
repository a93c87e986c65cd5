#include "OrderedLines.h"

namespace pellucor::cli {
namespace {

// Lines are written this many at a time; a document waiting for its turn
// keeps at most this many.
constexpr size_t kBatch = 4096;
constexpr size_t kMostKept = 16 * kBatch;

} // namespace

OrderedLines::OrderedLines(Console& console, size_t documents)
    : m_console(console), m_kept(documents), m_finished(documents, 0) {}

void OrderedLines::add(size_t document, std::string line) {
    std::unique_lock lock(m_mutex);
    if (document != m_turn && m_kept[document].size() >= kMostKept)
        m_turnMoved.wait(lock, [&] { return m_turn == document; });
    m_kept[document].push_back(std::move(line));
    if (document == m_turn && m_kept[document].size() >= kBatch)
        printKeptLocked(document);
}

void OrderedLines::finish(size_t document) {
    std::lock_guard lock(m_mutex);
    m_finished[document] = 1;
    while (m_turn < m_kept.size() && m_finished[m_turn])
        printKeptLocked(m_turn++);
    if (m_turn < m_kept.size())
        printKeptLocked(m_turn);
    m_turnMoved.notify_all();
}

void OrderedLines::printKeptLocked(size_t document) {
    m_console.output(m_kept[document]);
    std::vector<std::string>().swap(m_kept[document]);
}

} // namespace pellucor::cli
