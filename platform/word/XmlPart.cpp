#include "XmlPart.h"

#include "Error.h"

#include <cstring>
#include <sstream>

namespace pellucor::word {
namespace {

constexpr unsigned kParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_comments |
                                 pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype |
                                 pugi::parse_ws_pcdata;

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

} // namespace

XmlPart::XmlPart(std::string partName, const std::string& bytes, const std::string& displayName)
    : m_name(std::move(partName)) {
    pugi::xml_parse_result result = m_doc.load_buffer(bytes.data(), bytes.size(), kParseFlags);
    auto fail = [&](const std::string& what) {
        throw Error(ErrorNumber::FileCorrupted, "The document " + inQuotes(displayName) +
                                                    " cannot be opened: its part " + m_name +
                                                    " " + what + ".");
    };
    if (!result)
        fail("is not well-formed XML (" + std::string(result.description()) + " at byte " +
             std::to_string(result.offset) + ")");
    for (pugi::xml_node node : m_doc.children())
        if (node.type() == pugi::node_doctype)
            fail("declares a document type, which documents never do");
    if (!m_doc.document_element())
        fail("has no root element");
    m_encoding = result.encoding;

    // Keep the bytes around the root element as they were (the line break
    // after the declaration, a byte order mark). Only for UTF-8 parts, whose
    // bytes we can splice.
    if (m_encoding == pugi::encoding_utf8) {
        ptrdiff_t rootOffset = m_doc.document_element().offset_debug();
        if (rootOffset > 0 && static_cast<size_t>(rootOffset) < bytes.size() &&
            bytes[rootOffset] == '<')
            m_prolog = bytes.substr(0, rootOffset);
        if (!m_doc.document_element().next_sibling()) {
            size_t end = bytes.size();
            while (end > 0 && isXmlSpace(bytes[end - 1]))
                --end;
            m_epilog = bytes.substr(end);
        }
    }
}

std::string XmlPart::serialise() const {
    StringWriter writer;
    if (!m_prolog.empty()) {
        writer.out.reserve(m_prolog.size());
        writer.out = m_prolog;
        root().print(writer, "", pugi::format_raw, pugi::encoding_utf8);
        writer.out += m_epilog;
        return writer.out;
    }
    m_doc.save(writer, "", pugi::format_raw | pugi::format_no_declaration, m_encoding);
    return writer.out;
}

std::string prefixFor(pugi::xml_node root, std::initializer_list<const char*> uris) {
    for (pugi::xml_attribute attr : root.attributes()) {
        const char* name = attr.name();
        bool isDecl = std::strncmp(name, "xmlns", 5) == 0 && (name[5] == ':' || name[5] == 0);
        if (!isDecl)
            continue;
        for (const char* uri : uris) {
            if (std::strcmp(attr.value(), uri) == 0)
                return name[5] == ':' ? std::string(name + 6) + ":" : std::string();
        }
    }
    return kNoPrefix;
}

} // namespace pellucor::word
