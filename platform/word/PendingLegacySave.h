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
    bool neededView = false;          // its conversion needed a view, and so will the way back
};

// The changed parts of a package, compressed for its rewrite.
std::map<std::string, zip::Deflated>
changedParts(const XmlPart& main, const XmlPart* settings,
             const std::vector<std::unique_ptr<XmlPart>>& storyParts);

} // namespace pellucor::word
