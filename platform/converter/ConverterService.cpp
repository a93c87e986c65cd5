#include "ConverterService.h"

#include <cstdlib>
#include <thread>

namespace pellucor::converter {

ConverterService::~ConverterService() {
    stop();
}

bool ConverterService::wanted() {
    const char* mode = std::getenv("PELLUCOR_CONVERTER");
    return !(mode && std::string(mode) == "process");
}

ServiceOutcome ConverterService::convert(const std::string& soffice, const std::string& input,
                                         const std::string& output, const std::string& filter,
                                         const std::string& importFilter,
                                         std::chrono::milliseconds limit,
                                         const std::string& extraFields) {
    SharedLibreOffice& service = take();
    struct GivenBack {
        ConverterService& pool;
        SharedLibreOffice& service;
        ~GivenBack() { pool.giveBack(service); }
    } givenBack{*this, service};
    return service.convert(soffice, input, output, filter, importFilter, limit, extraFields);
}

SharedLibreOffice& ConverterService::take() {
    std::lock_guard lock(m_mutex);
    size_t chosen = m_services.size();
    for (size_t k = 0; k < m_services.size(); ++k)
        if (!m_busy[k] && (chosen == m_services.size() || m_services[k]->processGroup() > 0))
            chosen = k;
    if (chosen == m_services.size()) {
        m_services.push_back(std::make_unique<SharedLibreOffice>());
        m_busy.push_back(false);
    }
    m_busy[chosen] = true;
    return *m_services[chosen];
}

void ConverterService::giveBack(SharedLibreOffice& service) {
    std::lock_guard lock(m_mutex);
    for (size_t k = 0; k < m_services.size(); ++k)
        if (m_services[k].get() == &service)
            m_busy[k] = false;
}

void ConverterService::stop() {
    std::vector<SharedLibreOffice*> running;
    std::vector<SharedLibreOffice*> idle;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& service : m_services)
            (service->processGroup() > 0 ? running : idle).push_back(service.get());
    }
    for (SharedLibreOffice* service : idle)
        service->stop(); // forgets what it found missing
    // Side by side: each waits for its LibreOffice to end and removes its
    // folders, which would add up one after the other.
    std::vector<std::thread> stopping;
    for (size_t k = 1; k < running.size(); ++k)
        stopping.emplace_back([service = running[k]] { service->stop(); });
    if (!running.empty())
        running.front()->stop();
    for (std::thread& thread : stopping)
        thread.join();
}

unsigned ConverterService::starts() const {
    std::lock_guard lock(m_mutex);
    unsigned starts = 0;
    for (const auto& service : m_services)
        starts += service->starts();
    return starts;
}

std::vector<int> ConverterService::processGroups() const {
    std::lock_guard lock(m_mutex);
    std::vector<int> groups;
    for (const auto& service : m_services)
        if (int group = service->processGroup(); group > 0)
            groups.push_back(group);
    return groups;
}

int ConverterService::processGroup() const {
    std::vector<int> groups = processGroups();
    return groups.empty() ? 0 : groups.front();
}

int ConverterService::helperProcess() const {
    std::lock_guard lock(m_mutex);
    for (const auto& service : m_services)
        if (service->processGroup() > 0)
            return service->helperProcess();
    return 0;
}

} // namespace pellucor::converter
