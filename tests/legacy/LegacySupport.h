#pragma once

#include "support/ProcessEnv.h"
#include "word/Application.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace pellucor::test {

// A TCP server on 127.0.0.1 that counts the connections made to it, to show
// that nothing tried to reach the network.
class LocalListener {
public:
    LocalListener();
    ~LocalListener();
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;

    int port() const { return m_port; }
    int connections() const { return m_connections; }

private:
    int m_socket = -1;
    int m_port = 0;
    std::atomic<int> m_connections = 0;
    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};

// Whether soffice can be found on $PATH.
bool libreOfficeInstalled();

// Converts a document with LibreOffice outside the engine, e.g. a .docx
// fixture into a .doc ("doc:MS Word 97"); the result goes into outDir.
void convertWithLibreOffice(const std::string& input, const std::string& target,
                            const std::string& outDir, const std::string& profileDir);
// The same for several documents in one LibreOffice run.
void convertWithLibreOffice(const std::vector<std::string>& inputs, const std::string& target,
                            const std::string& outDir, const std::string& profileDir);

// Every word of the document at path, read by a fresh engine instance.
std::vector<std::string> wordsOfFile(const std::string& path);

// The words without the empty paragraphs and object anchors that
// LibreOffice's own round trip may add or drop (they carry no text).
std::vector<std::string> textWords(std::vector<std::string> words);

// Checks that after holds the words of before, with exactly `changed` of the
// ". " words widened to ".  " and nothing else different.
void expectOnlySpacesWidened(const std::vector<std::string>& before,
                             const std::vector<std::string>& after, int changed);

// Whether a process with this id still runs (a zombie counts as gone).
bool processRuns(int pid);

} // namespace pellucor::test
