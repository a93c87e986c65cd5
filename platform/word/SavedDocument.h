#pragma once

#include "base/AtomicFile.h"
#include "XmlPart.h"
#include "zip/Package.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pellucor::word {

// What opening a package costs most to get: the package and its parsed main
// and settings parts, and the parts of the other stories once they were
// walked (their changes live in these DOMs until the package is rewritten).
struct ParsedPackage {
    std::unique_ptr<zip::Package> package;
    std::unique_ptr<XmlPart> main;
    std::unique_ptr<XmlPart> settings;
    std::vector<std::unique_ptr<XmlPart>> storyParts;
};

// A batch saves a document and at once opens the result again for its next
// mark. The engine keeps, one per thread, the parts of the document it saved
// last and released untouched, so that the next opening of that very file
// needs no read, inflate or parse.
void keepSavedDocument(const FileIdentity& saved, ParsedPackage parts) noexcept;

// The kept parts when path names the file they were saved to and it holds
// the very bytes saved (compared in full: its times cannot prove it
// unchanged). Whatever was kept is released either way, so that it never
// lives beside another document.
std::optional<ParsedPackage> takeSavedDocument(const std::string& path);

// Releases what is kept, at the end of a document's marks.
void forgetSavedDocument() noexcept;

} // namespace pellucor::word
