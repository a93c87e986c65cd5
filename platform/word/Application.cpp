#include "Application.h"

#include "base/Error.h"
#include "EngineState.h"

namespace pellucor::word {

void EngineState::failQuit() {
    throw Error(ErrorNumber::ObjectReleased,
                "The document engine has been quit; its objects can no longer be used.");
}

Application Application::Create(converter::ConverterService* conversions) {
    auto engine = std::make_shared<EngineState>(conversions);
    engine->segmenter = std::make_unique<WordSegmenter>();
    return Application(engine);
}

bool Application::DisplayAlerts() const {
    m_engine->ensureAlive();
    return m_engine->displayAlerts;
}

void Application::SetDisplayAlerts(bool show) {
    m_engine->ensureAlive();
    m_engine->displayAlerts = show;
}

DocumentCollection Application::Documents() {
    m_engine->ensureAlive();
    return DocumentCollection(m_engine);
}

Document Application::ActiveDocument() const {
    m_engine->ensureAlive();
    if (m_engine->documents.empty())
        throw Error(ErrorNumber::NotAvailable,
                    "This command is not available because no document is open.");
    return Document(m_engine, m_engine->documents.back());
}

void Application::Quit() {
    m_engine->ensureAlive();
    m_engine->documents.clear();
    m_engine->converter.release();
    m_engine->quit = true;
}

std::string Application::Name() const {
    m_engine->ensureAlive();
    return kName;
}

Document DocumentCollection::Open(const std::string& path, const EditOptions& options,
                                  BatchDocument* batch) {
    m_engine->ensureAlive();
    std::shared_ptr<DocumentState> state =
        DocumentState::open(path, *m_engine->segmenter, m_engine->converter, options, batch);
    m_engine->documents.push_back(state);
    return Document(m_engine, state);
}

int32_t DocumentCollection::Count() const {
    m_engine->ensureAlive();
    return static_cast<int32_t>(m_engine->documents.size());
}

} // namespace pellucor::word
