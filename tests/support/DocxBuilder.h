#pragma once

#include <string>
#include <utility>
#include <vector>

namespace pellucor::test {

// One entry of a zip package: its name and its uncompressed bytes.
using ZipEntry = std::pair<std::string, std::string>;

// Writes the entries, deflated, in the given order; throws on failure.
void writeZip(const std::string& path, const std::vector<ZipEntry>& entries);

// Writes small .docx packages for tests. Only the inner XML of w:body is
// needed; everything else has a valid default that a test can replace.
class DocxBuilder {
public:
    explicit DocxBuilder(std::string bodyXml = "") : m_body(std::move(bodyXml)) {}

    DocxBuilder& settings(std::string innerXml);
    DocxBuilder& styles(std::string innerXml);
    // Strict namespaces and relationship types instead of transitional ones.
    DocxBuilder& strict();
    // Where the main part lives ("word/document.xml" unless set).
    DocxBuilder& mainPart(std::string partName);
    DocxBuilder& contentTypes(std::string xml);
    // Adds a part, or replaces a generated one of the same name.
    DocxBuilder& part(std::string name, std::string bytes);
    // Leaves a generated part out of the package.
    DocxBuilder& without(std::string name);

    // The main part's bytes, exactly as they are written.
    std::string documentXml() const;
    std::vector<ZipEntry> entries() const;
    void write(const std::string& path) const;

private:
    std::string relationshipType(const std::string& name) const;
    std::string defaultContentTypes() const;
    std::string wordPart(const std::string& root, const std::string& inner) const;

    std::string m_body;
    std::string m_settings;
    std::string m_styles;
    bool m_strict = false;
    std::string m_mainPart = "word/document.xml";
    std::string m_contentTypes;
    std::vector<ZipEntry> m_extra;
    std::vector<std::string> m_left;
};

// XML snippets for fixture bodies. Text is escaped as a serialiser would
// write it (&, < and >); a w:t whose text starts
// or ends with a space gets xml:space="preserve".
std::string escapeXml(const std::string& text);
std::string t(const std::string& text);
std::string r(const std::string& text, const std::string& rPr = "");
// A paragraph of items (runs and the like): p({r("It ends."), r("  Next")}).
std::string p(const std::vector<std::string>& items, const std::string& pPr = "");
// A paragraph of one plain run.
std::string textP(const std::string& text);
// A paragraph with direct frame properties, given as attributes.
std::string framedP(const std::string& text,
                    const std::string& framePr = R"(w:w="2000" w:h="1000" w:hAnchor="page")");
// A table; each cell holds block content (paragraphs, tables).
std::string tbl(const std::vector<std::vector<std::string>>& rows, const std::string& tblPr = "");
// A floating table of one cell.
std::string floatingTbl(const std::string& cellText, bool withOverlap = true);
// `inner` inside `depth` copies of open ... close: markup nested as deeply as
// a hostile document may nest it.
std::string nested(const std::string& open, const std::string& close, int depth,
                   const std::string& inner = "");
// How deep those documents nest: far more than a call stack could follow.
inline constexpr int kDeepNesting = 200000;

} // namespace pellucor::test
