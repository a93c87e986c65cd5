#include "StoryText.h"

#include <cstring>

namespace pellucor::word {
namespace {

constexpr char kPlaceholder[] = "\x01";
constexpr char kNoteReference[] = "\x02";

class ParagraphReader {
public:
    ParagraphReader(const WordNames& names, std::string& arena, std::vector<TextSpan>& spans)
        : m_names(names), m_arena(arena), m_spans(spans) {}

    void readInline(pugi::xml_node container) {
        for (pugi::xml_node child = container.first_child(); child; child = child.next_sibling()) {
            if (child.type() != pugi::node_element)
                continue;
            const char* local = m_names.local(child);
            if (!local) {
                if (m_names.isAlternateContent(child) || m_names.isMath(child))
                    add(child, kPlaceholder, false);
                continue;
            }
            if (std::strcmp(local, "r") == 0)
                readRun(child);
            else if (isInlineContainer(local))
                readInline(child);
            else if (std::strcmp(local, "sdt") == 0)
                readInline(child.child(m_names.qualified("sdtContent").c_str()));
        }
    }

private:
    static bool isInlineContainer(const char* local) {
        for (const char* name : {"hyperlink", "ins", "moveTo", "smartTag", "customXml", "fldSimple",
                                 "bdo", "dir", "sdtContent"})
            if (std::strcmp(local, name) == 0)
                return true;
        return false;
    }

    void readRun(pugi::xml_node run) {
        for (pugi::xml_node item = run.first_child(); item; item = item.next_sibling()) {
            if (item.type() != pugi::node_element)
                continue;
            const char* local = m_names.local(item);
            if (!local) {
                if (m_names.isAlternateContent(item) || m_names.isMath(item))
                    add(item, kPlaceholder, false);
                continue;
            }
            if (std::strcmp(local, "t") == 0)
                addText(item);
            else if (const char* text = itemText(item, local))
                add(item, text, false);
        }
    }

    // The character an item of a run stands for, or nullptr for markers.
    static const char* itemText(pugi::xml_node item, const char* local) {
        if (std::strcmp(local, "tab") == 0 || std::strcmp(local, "ptab") == 0)
            return "\t";
        if (std::strcmp(local, "br") == 0) {
            const char* type = nullptr;
            for (pugi::xml_attribute attr : item.attributes()) {
                const char* colon = std::strrchr(attr.name(), ':');
                if (std::strcmp(colon ? colon + 1 : attr.name(), "type") == 0)
                    type = attr.value();
            }
            bool pageOrColumn =
                type && (std::strcmp(type, "page") == 0 || std::strcmp(type, "column") == 0);
            return pageOrColumn ? "\f" : "\v";
        }
        if (std::strcmp(local, "cr") == 0)
            return "\v";
        if (std::strcmp(local, "noBreakHyphen") == 0)
            return "\x1E";
        if (std::strcmp(local, "softHyphen") == 0)
            return "\x1F";
        if (std::strcmp(local, "footnoteReference") == 0 ||
            std::strcmp(local, "endnoteReference") == 0)
            return kNoteReference;
        for (const char* name : {"drawing", "pict", "object", "sym", "ruby", "embedObject"})
            if (std::strcmp(local, name) == 0)
                return kPlaceholder;
        return nullptr;
    }

    // A w:t normally holds one text node; comments or CDATA may split it.
    void addText(pugi::xml_node item) {
        pugi::xml_node first = item.first_child();
        if (!first || !first.next_sibling()) {
            add(item, item.child_value(), true);
            return;
        }
        std::string joined;
        for (pugi::xml_node part = first; part; part = part.next_sibling())
            if (part.type() == pugi::node_pcdata || part.type() == pugi::node_cdata)
                joined += part.value();
        add(item, joined.c_str(), true);
    }

    void add(pugi::xml_node node, const char* text, bool fromText) {
        size_t length = std::strlen(text);
        if (length == 0 && !fromText)
            return;
        TextSpan span;
        span.node = node;
        span.start = static_cast<uint32_t>(m_arena.size());
        span.length = static_cast<uint32_t>(length);
        span.fromText = fromText;
        m_arena.append(text, length);
        m_spans.push_back(span);
    }

    const WordNames& m_names;
    std::string& m_arena;
    std::vector<TextSpan>& m_spans;
};

} // namespace

void appendParagraphText(const WordNames& names, pugi::xml_node paragraph, std::string& arena,
                         std::vector<TextSpan>& spans) {
    ParagraphReader(names, arena, spans).readInline(paragraph);
}

} // namespace pellucor::word
