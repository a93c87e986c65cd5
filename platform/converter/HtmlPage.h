#pragma once

#include <string>

namespace pellucor::converter {

// The web pages that LibreOffice reads and writes.

// The copy of a page that LibreOffice reads. LibreOffice loads every
// stylesheet a page links to, local files included, and makes its rules part
// of the document; each <link> element is renamed here so that it passes
// over them. (It never writes a page's <link> elements back anyway.)
std::string withoutStylesheetLinks(std::string html);

// A page as LibreOffice wrote it, with every run of spaces in its text
// written as no-break spaces and one space, as a word processor writes
// them: a browser, and LibreOffice reading it again, would show one space.
std::string withSpacesShown(const std::string& html);

} // namespace pellucor::converter
