#include "PlainText.h"

#include "XmlPart.h"

#include <string_view>

namespace pellucor::word {
namespace {

// The elements the word model reads, in the main vocabulary.
constexpr const char* kParagraph = "w:p";
constexpr const char* kRun = "w:r";
constexpr const char* kText = "w:t";

} // namespace

PlainText::PlainText(const std::string& bytes, const std::string& path) {
    const std::string text = decodeText(bytes, path, m_encoding);
    pugi::xml_node document = m_xml.append_child("w:document");
    document.append_attribute("xmlns:w").set_value(kWordNs);
    m_body = document.append_child("w:body");
    const std::string_view all(text);
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = all.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            addLine(all.substr(start));
            m_lineEnds.emplace_back();
            break;
        }
        const size_t endLength = all.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        addLine(all.substr(start, end - start));
        m_lineEnds.emplace_back(all.substr(end, endLength));
        start = end + endLength;
    }
}

void PlainText::addLine(std::string_view text) {
    pugi::xml_node paragraph = m_body.append_child(kParagraph);
    if (!text.empty())
        paragraph.append_child(kRun).append_child(kText).text().set(text.data(), text.size());
}

std::string PlainText::bytes(const std::string& target) const {
    std::string text;
    size_t line = 0;
    for (pugi::xml_node paragraph = m_body.first_child(); paragraph;
         paragraph = paragraph.next_sibling(), ++line) {
        for (pugi::xml_node run = paragraph.first_child(); run; run = run.next_sibling())
            for (pugi::xml_node piece = run.first_child(); piece; piece = piece.next_sibling())
                text += piece.text().get();
        text += m_lineEnds[line];
    }
    return encodeText(text, m_encoding, target);
}

} // namespace pellucor::word
