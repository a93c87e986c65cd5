#pragma once

#include "base/AtomicFile.h"
#include "base/RunLock.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace pellucor::converter {
class ConverterService;
class LegacyConverter;
} // namespace pellucor::converter

namespace pellucor::word {

struct LegacyDocument;
struct ParsedPackage;

// One document of a batch, from its first mark to its last. Its marks open
// the file it names: the source until a mark saved, then what this run saved
// for it. Between marks it keeps what the engine parsed of the .docx it
// saved, or, for a document reached through LibreOffice, the changed .docx
// itself, converted back once when the marks end with the same converter
// (and so the same private folder) that converted it. It holds the locks
// that keep other runs away from its files meanwhile.
class BatchDocument {
public:
    explicit BatchDocument(std::string source);
    ~BatchDocument();
    BatchDocument(const BatchDocument&) = delete;
    BatchDocument& operator=(const BatchDocument&) = delete;

    const std::string& source() const { return m_source; }
    // The file the next mark opens.
    const std::string& current() const { return m_current; }
    // The file that holds this run's result for the document: empty until a
    // save wrote it (a held save counts once it is written).
    const std::string& output() const { return m_output; }

    // Locks the file path names for the rest of the document's marks;
    // throws Error naming it when another run holds it.
    void lock(const std::string& path);
    // What a save to target hands the new file before it replaces the old:
    // the file is locked from the moment it appears there.
    std::function<void(int fd)> lockBeforeReplace(const std::string& target);

    // A mark's save went to target: the next mark opens it.
    void saved(const std::string& target);

    // The engine's side. The file's bytes, keeping the source's as they
    // were until it is first written over, so that they can be put back.
    std::string read(const std::string& path);
    void keepSaved(const FileIdentity& saved, ParsedPackage parts) noexcept;
    // The kept parts when path names the file they were saved to and it
    // holds the very bytes saved; what was kept is released either way.
    std::optional<ParsedPackage> takeSaved(const std::string& path);
    // A document reached through LibreOffice waits, changed, for the end of
    // the marks; a save pending for another target is written first.
    void holdLegacySave(const std::string& target, LegacyDocument document);
    // The held document for path, lent to the opening that takes it; it is
    // written only once a save hands it back. Throws Error when it was lent
    // and never handed back: what is on disk there is not this run's.
    std::optional<LegacyDocument> takeLegacySave(const std::string& path);
    // The converter of both ways, made at the first call with the pool of
    // LibreOffices it converts through.
    converter::LegacyConverter& converter(converter::ConverterService* conversions);

    // Writes what is held: converted back, or its original bytes when
    // nothing changed. Throws Error naming the target when that fails;
    // nothing is written then.
    void finish();
    // Drops what is held and puts the source back to the bytes it had when
    // the document began, when this run wrote over it. Throws Error when it
    // cannot.
    void restore();

private:
    struct Held; // what the engine keeps of it between marks
    struct PendingSave;
    void write(PendingSave pending);
    void wrote(const std::string& target);

    std::string m_source;
    std::string m_current;
    std::string m_output;
    bool m_wroteSource = false;
    std::unique_ptr<Held> m_held;
    RunLock m_sourceLock;
    RunLock m_outputLock;
};

} // namespace pellucor::word
