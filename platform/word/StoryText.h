#pragma once

#include "TreeWalk.h"
#include "WordNames.h"

#include <cstdint>
#include <cstring>
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

// Whether an element of the given local name holds story paragraphs: a table
// and its parts, a content control, a custom XML element, inserted or moved text.
bool holdsStoryParagraphs(const char* local);

// Calls visit(paragraph) for every paragraph of a story in document order:
// those of its container, table cells at any depth, content controls; not
// those of the text boxes it holds, which are stories of their own.
template <typename Visit>
void forEachStoryParagraph(const WordNames& names, pugi::xml_node container, Visit&& visit) {
    walkBelow(container, [&](pugi::xml_node node) {
        const char* local = node.type() == pugi::node_element ? names.local(node) : nullptr;
        if (!local)
            return pugi::xml_node();
        if (std::strcmp(local, "p") == 0) {
            visit(node);
            return pugi::xml_node();
        }
        return holdsStoryParagraphs(local) ? node : pugi::xml_node();
    });
}

} // namespace pellucor::word
