#pragma once

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>

namespace pellucor::converter {

// How a conversion handed to a shared LibreOffice ended.
struct ServiceOutcome {
    enum class Kind {
        Converted,   // the output file was written (it may still be empty)
        Failed,      // LibreOffice refused it; said holds its words
        TimedOut,    // it took longer than the limit; LibreOffice was stopped
        Stopped,     // LibreOffice ended during it; said tells how
        Interrupted, // the run was asked to stop; LibreOffice was stopped
        Unavailable  // the service cannot run here: convert with a process of its own
    };
    Kind kind = Kind::Unavailable;
    std::string said;
    bool withView = false; // Converted: the document was loaded into a view
};

// One headless LibreOffice that converts on request, started on first need
// with a profile of its own in a private temporary folder. It listens on a
// pipe in a folder of ours that no other user can enter, and runs with the
// umask 077. A small Python helper (/usr/bin/python3 with Debian's UNO
// module, PELLUCOR_CONVERTER_PYTHON to override) connects to it and converts
// on request. A LibreOffice that died between conversions is started again;
// one that died during a conversion, ran out of time or was asked to stop is
// killed and started again at the next conversion. Stopping kills its process
// group and removes the private folders and the pipes it leaves behind. When
// the program is killed, the helper and a guard inside the group kill it, and
// the watcher of leftovers removes the folders as well.
class SharedLibreOffice {
public:
    SharedLibreOffice() = default;
    ~SharedLibreOffice();
    SharedLibreOffice(const SharedLibreOffice&) = delete;
    SharedLibreOffice& operator=(const SharedLibreOffice&) = delete;

    // Converts input into output with LibreOffice's export filter, reading it
    // with importFilter (LibreOffice detects the format when it is empty),
    // using soffice (a full path) to start LibreOffice when it does not run.
    // While it waits, the thread's wait hook runs (base/Waiting.h); what the
    // hook throws goes through, after LibreOffice was stopped. extraFields go
    // at the end of the helper's request, each after a tab.
    ServiceOutcome convert(const std::string& soffice, const std::string& input,
                           const std::string& output, const std::string& filter,
                           const std::string& importFilter, std::chrono::milliseconds limit,
                           const std::string& extraFields = {});

    // Ends LibreOffice and removes the private folder; the next conversion
    // starts them again (and looks for Python with UNO again).
    void stop();

    // What tests look at: how often LibreOffice was started, and the process
    // group it runs in (0 when it does not run) with the helper in it. They
    // answer at once, also during a conversion.
    unsigned starts() const;
    int processGroup() const;
    int helperProcess() const;

private:
    enum class Start { Ready, Unavailable, Failed, TimedOut, Interrupted };
    enum class Reply { Line, Closed, TimedOut, Interrupted };

    ServiceOutcome request(const std::string& soffice, const std::string& line,
                           std::chrono::milliseconds limit);
    Start start(const std::string& soffice, std::chrono::milliseconds limit);
    std::string makeFolders();
    Start launch(const std::string& soffice);
    Start awaitReady(std::chrono::milliseconds limit);
    bool send(const std::string& line);
    Reply readLine(std::chrono::steady_clock::time_point deadline, std::string& line);
    bool libreOfficeExited();
    void stopLocked();
    void removeFolders();

    mutable std::mutex m_mutex;
    bool m_unavailable = false; // no interpreter or no UNO module: never try again
    std::string m_soffice;      // the soffice the running LibreOffice was started from
    std::string m_folder;
    std::string m_pipeFolder;         // holds the pipe LibreOffice listens on
    std::string m_singleInstancePipe; // LibreOffice's own, in the pipe folder
    // Read without the lock, which a conversion holds throughout.
    std::atomic<int> m_group = 0; // the started soffice, leader of the group
    std::atomic<int> m_helper = 0;
    std::atomic<unsigned> m_starts = 0;
    int m_channel = -1;
    std::string m_received;
};

} // namespace pellucor::converter
