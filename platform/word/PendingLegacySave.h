#pragma once

#include "converter/LegacyConverter.h"
#include "SavedDocument.h"
#include "XmlPart.h"
#include "zip/Compression.h"

#include <map>
#include <optional>
#include <string>
#include <sys/types.h>

namespace pellucor::word {

// A document reached through LibreOffice as its saves leave it: the .docx it
// is worked on, and the format and bytes it was read from.
struct LegacyDocument {
    converter::LegacyFormat format;
    std::string originalBytes; // written as they are when nothing changed
    ParsedPackage parts;
    std::optional<mode_t> sourceMode; // what a new file's permissions are drawn from
    std::string documentPath;         // where it was opened from: its links are relative to it
    converter::ConverterService* conversions = nullptr; // the pool it is converted back by
};

// A batch runs every mark of a document on the one .docx that LibreOffice
// made of it and converts it back once, at the end of the marks. While this
// thread holds its saves, a legacy document's save keeps it as the pending
// save to its target, and the next opening of that path takes it up again,
// whether or not the file exists yet.
void holdLegacySaves();
bool holdingLegacySaves();

// Keeps document as what is to be written to target. A save pending for
// another target is written first (which throws what writing throws).
void keepPendingSave(const std::string& target, LegacyDocument document);

// The document pending for path, lent to the opening that takes it; it is
// written only once a save hands it back.
std::optional<LegacyDocument> takePendingSave(const std::string& path);

// Stops holding and writes what is pending, atomically: converted back by
// LibreOffice, or the original bytes when nothing changed. Throws Error
// naming the target when the conversion fails or a taken document was never
// saved back; nothing is written then.
void writePendingSave();

// Stops holding and drops what is pending: the document was abandoned.
void dropPendingSave() noexcept;

// The changed parts of a package, compressed for its rewrite.
std::map<std::string, zip::Deflated>
changedParts(const XmlPart& main, const XmlPart* settings,
             const std::vector<std::unique_ptr<XmlPart>>& storyParts);

} // namespace pellucor::word
