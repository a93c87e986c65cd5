#pragma once

#include "converter/SharedLibreOffice.h"

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace pellucor::converter {

// The headless LibreOffices the program's engine instances share: a small
// pool, one LibreOffice for each conversion that runs at the same time, each
// with its own private folder, profile and pipe. A conversion takes one no
// other thread uses, preferring one that runs; when none is free, a new one
// joins the pool and starts on first need. So parallel jobs convert side by
// side, while one job reuses one LibreOffice for all its documents. The
// program makes one at its start and hands it to the engine instances it
// creates; the pool ends when the program stops it, at the latest when it is
// destroyed (see SharedLibreOffice for how each one ends).
class ConverterService {
public:
    ConverterService() = default;
    ~ConverterService();
    ConverterService(const ConverterService&) = delete;
    ConverterService& operator=(const ConverterService&) = delete;

    // Whether conversions should go through the service: PELLUCOR_CONVERTER
    // set to "process" asks for one LibreOffice process per conversion.
    static bool wanted();

    // See SharedLibreOffice::convert.
    ServiceOutcome convert(const std::string& soffice, const std::string& input,
                           const std::string& output, const std::string& filter,
                           const std::string& importFilter, std::chrono::milliseconds limit,
                           const std::string& extraFields = {});

    // Ends every LibreOffice of the pool and removes their private folders,
    // each after the conversion it is busy with.
    void stop();

    // What tests look at: how often a LibreOffice was started, and the
    // process groups of those that run (the first one's, 0 when none runs),
    // with the helper of the first.
    unsigned starts() const;
    std::vector<int> processGroups() const;
    int processGroup() const;
    int helperProcess() const;

private:
    SharedLibreOffice& take();
    void giveBack(SharedLibreOffice& service);

    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<SharedLibreOffice>> m_services; // never shrinks
    std::vector<bool> m_busy;
};

} // namespace pellucor::converter
