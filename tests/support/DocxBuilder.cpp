#include "DocxBuilder.h"

#include <algorithm>
#include <stdexcept>
#include <zip.h>

namespace pellucor::test {
namespace {

constexpr const char* kDeclaration =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
constexpr const char* kPackageRelsNs =
    "http://schemas.openxmlformats.org/package/2006/relationships";

const char* transitionalNamespaces() {
    return R"( xmlns:w="http://schemas.openxmlformats.org/wordprocessingml/2006/main")"
           R"( xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships")"
           R"( xmlns:m="http://schemas.openxmlformats.org/officeDocument/2006/math")"
           R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
           R"( xmlns:wp="http://schemas.openxmlformats.org/drawingml/2006/wordprocessingDrawing")"
           R"( xmlns:a="http://schemas.openxmlformats.org/drawingml/2006/main")"
           R"( xmlns:wps="http://schemas.microsoft.com/office/word/2010/wordprocessingShape")"
           R"( xmlns:w14="http://schemas.microsoft.com/office/word/2010/wordml")"
           R"( xmlns:v="urn:schemas-microsoft-com:vml" mc:Ignorable="w14")";
}

const char* strictNamespaces() {
    return R"( xmlns:w="http://purl.oclc.org/ooxml/wordprocessingml/main")"
           R"( xmlns:r="http://purl.oclc.org/ooxml/officeDocument/relationships")"
           R"( xmlns:m="http://purl.oclc.org/ooxml/officeDocument/math")"
           R"( xmlns:mc="http://schemas.openxmlformats.org/markup-compatibility/2006")"
           R"( xmlns:wp="http://purl.oclc.org/ooxml/drawingml/wordprocessingDrawing")"
           R"( xmlns:a="http://purl.oclc.org/ooxml/drawingml/main" w:conformance="strict")";
}

std::string folderOf(const std::string& part) {
    auto slash = part.find_last_of('/');
    return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

std::string fileOf(const std::string& part) {
    return part.substr(folderOf(part).size());
}

std::string relationship(const std::string& id, const std::string& type,
                         const std::string& target) {
    return "<Relationship Id=\"" + id + "\" Type=\"" + type + "\" Target=\"" + target + "\"/>";
}

} // namespace

void writeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive)
        throw std::runtime_error("cannot create the zip " + path);
    for (const auto& [name, data] : entries) {
        zip_source_t* source = zip_source_buffer(archive, data.data(), data.size(), 0);
        zip_int64_t index =
            source ? zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_UTF_8) : -1;
        if (index < 0) {
            zip_source_free(source);
            zip_discard(archive);
            throw std::runtime_error("cannot add " + name + " to " + path);
        }
        zip_set_file_compression(archive, index, ZIP_CM_DEFLATE, 9);
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        throw std::runtime_error("cannot write the zip " + path);
    }
}

DocxBuilder& DocxBuilder::settings(std::string innerXml) {
    m_settings = std::move(innerXml);
    return *this;
}

DocxBuilder& DocxBuilder::styles(std::string innerXml) {
    m_styles = std::move(innerXml);
    return *this;
}

DocxBuilder& DocxBuilder::strict() {
    m_strict = true;
    return *this;
}

DocxBuilder& DocxBuilder::mainPart(std::string partName) {
    m_mainPart = std::move(partName);
    return *this;
}

DocxBuilder& DocxBuilder::contentTypes(std::string xml) {
    m_contentTypes = std::move(xml);
    return *this;
}

DocxBuilder& DocxBuilder::part(std::string name, std::string bytes) {
    m_extra.emplace_back(std::move(name), std::move(bytes));
    return *this;
}

DocxBuilder& DocxBuilder::without(std::string name) {
    m_left.push_back(std::move(name));
    return *this;
}

std::string DocxBuilder::relationshipType(const std::string& name) const {
    return (m_strict ? "http://purl.oclc.org/ooxml/officeDocument/relationships/"
                     : "http://schemas.openxmlformats.org/officeDocument/2006/relationships/") +
           name;
}

std::string DocxBuilder::documentXml() const {
    return kDeclaration + std::string("<w:document") +
           (m_strict ? strictNamespaces() : transitionalNamespaces()) + "><w:body>" + m_body +
           "</w:body></w:document>";
}

std::string DocxBuilder::defaultContentTypes() const {
    return kDeclaration +
           std::string(R"(<Types xmlns="http://schemas.openxmlformats.org/package/2006/)"
                       R"(content-types"><Default Extension="rels" ContentType="application/)"
                       R"(vnd.openxmlformats-package.relationships+xml"/><Default )"
                       R"(Extension="xml" ContentType="application/xml"/><Override PartName="/)") +
           m_mainPart +
           R"(" ContentType="application/vnd.openxmlformats-officedocument.)"
           R"(wordprocessingml.document.main+xml"/></Types>)";
}

std::string DocxBuilder::wordPart(const std::string& root, const std::string& inner) const {
    const char* ns = m_strict ? "http://purl.oclc.org/ooxml/wordprocessingml/main"
                              : "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
    return kDeclaration + ("<w:" + root + " xmlns:w=\"" + ns + "\">") + inner + "</w:" + root + ">";
}

std::vector<ZipEntry> DocxBuilder::entries() const {
    const std::string folder = folderOf(m_mainPart);
    const std::string relsStart =
        kDeclaration + std::string("<Relationships xmlns=\"") + kPackageRelsNs + "\">";
    std::vector<ZipEntry> parts{
        {"[Content_Types].xml", m_contentTypes.empty() ? defaultContentTypes() : m_contentTypes},
        {"_rels/.rels", relsStart +
                            relationship("rId1", relationshipType("officeDocument"), m_mainPart) +
                            "</Relationships>"},
        {m_mainPart, documentXml()},
        {folder + "_rels/" + fileOf(m_mainPart) + ".rels",
         relsStart + relationship("rId1", relationshipType("settings"), "settings.xml") +
             relationship("rId2", relationshipType("styles"), "styles.xml") + "</Relationships>"},
        {folder + "settings.xml", wordPart("settings", m_settings)},
        {folder + "styles.xml", wordPart("styles", m_styles)},
    };
    for (const auto& extra : m_extra) {
        auto same = std::find_if(parts.begin(), parts.end(),
                                 [&](const ZipEntry& entry) { return entry.first == extra.first; });
        if (same != parts.end())
            same->second = extra.second;
        else
            parts.push_back(extra);
    }
    for (const auto& name : m_left)
        std::erase_if(parts, [&](const ZipEntry& entry) { return entry.first == name; });
    return parts;
}

void DocxBuilder::write(const std::string& path) const {
    writeZip(path, entries());
}

std::string escapeXml(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string t(const std::string& text) {
    bool edgeSpace = !text.empty() && (text.front() == ' ' || text.back() == ' ');
    return std::string(edgeSpace ? "<w:t xml:space=\"preserve\">" : "<w:t>") + escapeXml(text) +
           "</w:t>";
}

std::string r(const std::string& text, const std::string& rPr) {
    return "<w:r>" + (rPr.empty() ? "" : "<w:rPr>" + rPr + "</w:rPr>") + t(text) + "</w:r>";
}

std::string p(const std::vector<std::string>& items, const std::string& pPr) {
    std::string out = "<w:p>" + (pPr.empty() ? "" : "<w:pPr>" + pPr + "</w:pPr>");
    for (const auto& item : items)
        out += item;
    return out + "</w:p>";
}

std::string textP(const std::string& text) {
    return p({r(text)});
}

std::string framedP(const std::string& text, const std::string& framePr) {
    return p({r(text)}, "<w:framePr " + framePr + "/>");
}

std::string tbl(const std::vector<std::vector<std::string>>& rows, const std::string& tblPr) {
    std::string out = "<w:tbl><w:tblPr>" + tblPr + "<w:tblW w:w=\"0\" w:type=\"auto\"/></w:tblPr>";
    out += "<w:tblGrid>";
    for (size_t column = 0; column < (rows.empty() ? 0 : rows.front().size()); ++column)
        out += "<w:gridCol w:w=\"2000\"/>";
    out += "</w:tblGrid>";
    for (const auto& row : rows) {
        out += "<w:tr>";
        for (const auto& cell : row)
            out += "<w:tc><w:tcPr><w:tcW w:w=\"2000\" w:type=\"dxa\"/></w:tcPr>" + cell + "</w:tc>";
        out += "</w:tr>";
    }
    return out + "</w:tbl>";
}

std::string floatingTbl(const std::string& cellText, bool withOverlap) {
    std::string position = R"(<w:tblpPr w:leftFromText="180" w:rightFromText="180" )"
                           R"(w:vertAnchor="text" w:tblpY="1"/>)";
    if (withOverlap)
        position += R"(<w:tblOverlap w:val="never"/>)";
    return tbl({{textP(cellText)}}, position);
}

std::string nested(const std::string& open, const std::string& close, int depth,
                   const std::string& inner) {
    std::string out;
    for (int k = 0; k < depth; ++k)
        out += open;
    out += inner;
    for (int k = 0; k < depth; ++k)
        out += close;
    return out;
}

} // namespace pellucor::test
