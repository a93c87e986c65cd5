#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace pellucor::word {

class MemoryBudget;

// One XML part of a package, parsed into a DOM that keeps every node the
// serialiser needs to write it back faithfully: whitespace text, comments,
// processing instructions, the declaration and, as raw bytes, whatever stands
// before and after the root element.
class XmlPart {
public:
    // Throws Error naming the document and the part when the XML is malformed
    // or declares a document type. No entity is ever expanded. The part and
    // its DOM are taken from budget before it is parsed; a part read without
    // a document's budget has one of its own, as if it were a main part.
    XmlPart(std::string partName, std::string bytes, const std::string& displayName,
            MemoryBudget* budget = nullptr);

    const std::string& name() const { return m_name; }
    uint64_t size() const { return m_buffer.size(); }
    // What the part and its DOM take, as counted when it was parsed.
    uint64_t memoryCost() const { return m_cost; }
    pugi::xml_node root() const { return m_doc.document_element(); }
    // The bytes every element name stands among, when the part was parsed in
    // place from UTF-8; nullopt when it was read from another encoding.
    std::optional<std::string_view> namesAmong() const;
    bool changed() const { return m_changed; }
    void markChanged() { m_changed = true; }
    void markSaved() { m_changed = false; }

    // The part as bytes: the original prolog and epilog, the root serialised
    // compactly. The second form hands them to writer in pieces as they come.
    // Both throw Error naming the document, writing nothing, when the part
    // holds a character that XML cannot.
    std::string serialise() const;
    void serialise(pugi::xml_writer& writer) const;

private:
    void refuseUnheld(const std::string& unheld) const;

    std::string m_name;
    std::string m_displayName;
    std::string m_buffer; // parsed in place: the DOM's strings point into it
    pugi::xml_document m_doc;
    pugi::xml_encoding m_encoding = pugi::encoding_utf8;
    std::string m_prolog;
    std::string m_epilog;
    uint64_t m_cost = 0;
    bool m_changed = false;
};

// What a DOM of xml will take beside its text, counted from the markup: a
// node for each tag, comment or instruction that opens and each text after a
// '>', an attribute for each '="'.
uint64_t estimatedDomSize(std::string_view xml);

// The namespace prefix ("w:" or "") that the root binds to one of the given
// namespace URIs; empty optional-like result "\x01" when none is bound.
std::string prefixFor(pugi::xml_node root, std::initializer_list<const char*> uris);

// Namespace URIs of the main WordprocessingML vocabulary, transitional and strict.
inline constexpr const char* kWordNs =
    "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr const char* kWordStrictNs = "http://purl.oclc.org/ooxml/wordprocessingml/main";
inline constexpr const char* kMarkupCompatNs =
    "http://schemas.openxmlformats.org/markup-compatibility/2006";
inline constexpr const char* kMathNs = "http://schemas.openxmlformats.org/officeDocument/2006/math";
inline constexpr const char* kMathStrictNs = "http://purl.oclc.org/ooxml/officeDocument/math";
inline constexpr const char* kNoPrefix = "\x01";

} // namespace pellucor::word
