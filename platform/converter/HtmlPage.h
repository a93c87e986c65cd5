#pragma once

#include <optional>
#include <string>

namespace pellucor::converter {

// The web pages that LibreOffice reads and writes.

// The copy of a page that LibreOffice reads, or nullopt when it cannot be
// read as HTML at all. LibreOffice loads every stylesheet a page links to,
// local files included, and makes its rules part of the document; the page
// is read here as a browser reads it and written again without its link
// elements, imported style sheets, comments and anything whose end another
// reader could find elsewhere. (LibreOffice never writes a page's link
// elements back anyway.)
std::optional<std::string> withoutStylesheetLinks(const std::string& html);

// A page as LibreOffice wrote it, with every run of spaces in its text
// written as no-break spaces and one space, as a word processor writes
// them: a browser, and LibreOffice reading it again, would show one space.
std::string withSpacesShown(const std::string& html);

} // namespace pellucor::converter
