#pragma once

#include "MemoryBudget.h"
#include "TextEncoding.h"

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace pellucor::word {

// A plain-text file seen as a document: each line is a paragraph of one run,
// so that the words are numbered, read and changed as in any document. The
// file is written back with its encoding, byte-order mark and line endings
// as they were; only the text of its lines can differ.
class PlainText {
public:
    // Throws Error naming path when the text's encoding cannot be kept or its
    // lines do not fit the budget, which they are taken from.
    PlainText(std::string bytes, const std::string& path, MemoryBudget& budget);

    pugi::xml_node root() const { return m_xml.document_element(); }
    pugi::xml_node body() const { return m_body; }

    // The file's bytes with the lines' text as it now stands, to be saved as
    // target (named in errors).
    std::string bytes(const std::string& target) const;

private:
    void addLine(std::string_view text, std::string_view end, MemoryBudget& budget);

    TextEncoding m_encoding;
    pugi::xml_document m_xml;
    pugi::xml_node m_body;
    std::string m_lineEnds; // one a paragraph: a code of "\r\n", "\n", "\r" or ""
};

} // namespace pellucor::word
