#pragma once

#include "Document.h"

#include <memory>
#include <string>

namespace pellucor::converter {
class ConverterService;
}

namespace pellucor::word {

class BatchDocument;

class DocumentCollection {
public:
    // Opens a document of the .docx family; raises Error when the file is
    // missing, damaged, encrypted or of another format. A mark of a batch
    // names its batch document, which carries what the marks before it left.
    Document Open(const std::string& path, const EditOptions& options = {},
                  BatchDocument* batch = nullptr);
    int32_t Count() const;

private:
    friend class Application;
    explicit DocumentCollection(std::shared_ptr<EngineState> engine)
        : m_engine(std::move(engine)) {}
    std::shared_ptr<EngineState> m_engine;
};

// An instance of the document engine. Creating one is cheap; Quit discards
// unsaved changes and releases every document.
class Application {
public:
    // Raises Error when the engine cannot start. Documents of other formats go
    // through the program's pool of LibreOffices when one is given (it must
    // outlive the instance), else through a LibreOffice process each.
    static Application Create(converter::ConverterService* conversions = nullptr);

    bool DisplayAlerts() const;
    void SetDisplayAlerts(bool show);
    DocumentCollection Documents();
    Document ActiveDocument() const; // raises Error when no document is open
    void Quit();
    std::string Name() const; // the default property

    static constexpr const char* kName = "Pellucor Document Engine";

private:
    explicit Application(std::shared_ptr<EngineState> engine) : m_engine(std::move(engine)) {}
    std::shared_ptr<EngineState> m_engine;
};

} // namespace pellucor::word
