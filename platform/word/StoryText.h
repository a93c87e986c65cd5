#pragma once

#include "WordNames.h"

#include <cstdint>
#include <pugixml.hpp>
#include <string>
#include <vector>

namespace pellucor::word {

// A stretch of a paragraph's text that comes from one item of the XML: the
// text of a w:t element, or the one character that stands for a tab, a
// break, a drawing and so on.
struct TextSpan {
    pugi::xml_node node;   // the w:t element, or the item's element
    uint32_t start = 0;    // where the span's text begins in the arena
    uint32_t length = 0;   // bytes of UTF-8
    bool fromText = false; // true for w:t, whose characters can be replaced
};

// Appends the text of one paragraph to the arena and lists the spans it came
// from, in order. Deleted text, field instructions and markers give nothing;
// text boxes, drawings and equations one placeholder character each.
void appendParagraphText(const WordNames& names, pugi::xml_node paragraph, std::string& arena,
                         std::vector<TextSpan>& spans);

// Calls visit(paragraph) for every paragraph of the main story in document
// order: body paragraphs, table cells at any depth, content controls.
template <typename Visit>
void forEachStoryParagraph(const WordNames& names, pugi::xml_node container, Visit&& visit) {
    for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
        if (child.type() != pugi::node_element)
            continue;
        const char* local = names.local(child);
        if (!local)
            continue;
        if (std::strcmp(local, "p") == 0)
            visit(child);
        else if (std::strcmp(local, "tbl") == 0 || std::strcmp(local, "tr") == 0 ||
                 std::strcmp(local, "tc") == 0 || std::strcmp(local, "sdt") == 0 ||
                 std::strcmp(local, "sdtContent") == 0 || std::strcmp(local, "customXml") == 0 ||
                 std::strcmp(local, "ins") == 0 || std::strcmp(local, "moveTo") == 0)
            forEachStoryParagraph(names, child, visit);
    }
}

} // namespace pellucor::word
