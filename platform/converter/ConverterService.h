#pragma once

#include <chrono>
#include <mutex>
#include <string>

namespace pellucor::converter {

// How a conversion handed to the shared LibreOffice ended.
struct ServiceOutcome {
    enum class Kind {
        Converted,  // the output file was written (it may still be empty)
        Failed,     // LibreOffice refused it; said holds its words
        TimedOut,   // it took longer than the limit; LibreOffice was stopped
        Stopped,    // LibreOffice ended during it; said tells how
        Unavailable // the service cannot run here: convert with a process of its own
    };
    Kind kind = Kind::Unavailable;
    std::string said;
};

// One headless LibreOffice shared by every engine instance of the program,
// started on first need with a profile of its own in a private temporary
// folder and listening on a private pipe. A small Python helper
// (/usr/bin/python3 with Debian's UNO module, PELLUCOR_CONVERTER_PYTHON to
// override) connects to it and converts on request. Conversions from parallel
// jobs wait for each other: LibreOffice loads documents one at a time anyway,
// and one process per job would cost its start and its memory each time.
// A LibreOffice that died between conversions is started again; one that
// died during a conversion, or ran out of time, is killed and started again
// at the next conversion. The
// service ends with the program: LibreOffice is asked to quit, its process
// group is killed and the private folder removed. When the program dies
// without that, the helper does it on seeing its input close.
class ConverterService {
public:
    static ConverterService& instance();
    ~ConverterService();
    ConverterService(const ConverterService&) = delete;
    ConverterService& operator=(const ConverterService&) = delete;

    // Whether conversions should go through the service: PELLUCOR_CONVERTER
    // set to "process" asks for one LibreOffice process per conversion.
    static bool wanted();

    // Converts input into output with LibreOffice's export filter, reading it
    // with importFilter (LibreOffice detects the format when it is empty),
    // using soffice (a full path) to start LibreOffice when it does not run.
    // extraFields go at the end of the helper's request, each after a tab.
    ServiceOutcome convert(const std::string& soffice, const std::string& input,
                           const std::string& output, const std::string& filter,
                           const std::string& importFilter, std::chrono::milliseconds limit,
                           const std::string& extraFields = {});

    // Ends LibreOffice and removes the private folder; the next conversion
    // starts them again (and looks for Python with UNO again).
    void stop();

    // What tests look at: how often LibreOffice was started, and the process
    // group it runs in (0 when it does not run) with the helper in it.
    unsigned starts() const;
    int processGroup() const;
    int helperProcess() const;

private:
    ConverterService() = default;
    enum class Start { Ready, Unavailable, Failed, TimedOut };
    enum class Reply { Line, Closed, TimedOut };

    Start start(const std::string& soffice, std::chrono::milliseconds limit);
    Start launch(const std::string& soffice);
    Start awaitReady(std::chrono::milliseconds limit);
    bool send(const std::string& line);
    Reply readLine(std::chrono::steady_clock::time_point deadline, std::string& line);
    bool libreOfficeExited();
    void awaitExit(std::chrono::steady_clock::time_point deadline);
    void stopLocked(bool askToQuit = true); // not when the helper may hang

    mutable std::mutex m_mutex;
    bool m_unavailable = false; // no interpreter or no UNO module: never try again
    std::string m_soffice;      // the soffice the running LibreOffice was started from
    std::string m_folder;
    int m_group = 0; // the started soffice, leader of the group
    int m_helper = 0;
    int m_channel = -1;
    std::string m_received;
    unsigned m_starts = 0;
};

} // namespace pellucor::converter
