#include "StoryText.h"

#include <cstring>

namespace pellucor::word {
namespace {

constexpr char kPlaceholder[] = "\x01";
constexpr char kNoteReference[] = "\x02";

// What an element of a paragraph or of a run gives the story, by its local
// name. The first letter picks the few names to compare: this is read for
// every element of every paragraph.
enum class Item : uint8_t {
    Other, // properties, markers and whatever gives no text
    Run,
    Text,
    InlineContainer,
    ContentControl,
    Tab,
    Break,
    CarriageReturn,
    NoBreakHyphen,
    SoftHyphen,
    NoteReference,
    Placeholder,
};

Item itemOf(const char* local) {
    auto is = [local](const char* name) { return std::strcmp(local, name) == 0; };
    switch (local[0]) {
    case 'a':
        return is("annotationRef") ? Item::NoteReference : Item::Other;
    case 'r':
        return local[1] == '\0' ? Item::Run : is("ruby") ? Item::Placeholder : Item::Other;
    case 't':
        return local[1] == '\0' ? Item::Text : is("tab") ? Item::Tab : Item::Other;
    case 'p':
        return is("ptab") ? Item::Tab : is("pict") ? Item::Placeholder : Item::Other;
    case 'b':
        return is("br") ? Item::Break : is("bdo") ? Item::InlineContainer : Item::Other;
    case 'c':
        return is("cr")          ? Item::CarriageReturn
               : is("customXml") ? Item::InlineContainer
                                 : Item::Other;
    case 'd':
        return is("drawing") ? Item::Placeholder : is("dir") ? Item::InlineContainer : Item::Other;
    case 'e':
        return is("endnoteReference") || is("endnoteRef") ? Item::NoteReference
               : is("embedObject")                        ? Item::Placeholder
                                                          : Item::Other;
    case 'f':
        return is("footnoteReference") || is("footnoteRef") ? Item::NoteReference
               : is("fldSimple")                            ? Item::InlineContainer
                                                            : Item::Other;
    case 'h':
        return is("hyperlink") ? Item::InlineContainer : Item::Other;
    case 'i':
        return is("ins") ? Item::InlineContainer : Item::Other;
    case 'm':
        return is("moveTo") ? Item::InlineContainer : Item::Other;
    case 'n':
        return is("noBreakHyphen") ? Item::NoBreakHyphen : Item::Other;
    case 'o':
        return is("object") ? Item::Placeholder : Item::Other;
    case 's':
        return is("sdt")          ? Item::ContentControl
               : is("sdtContent") ? Item::InlineContainer
               : is("smartTag")   ? Item::InlineContainer
               : is("softHyphen") ? Item::SoftHyphen
               : is("sym")        ? Item::Placeholder
                                  : Item::Other;
    default:
        return Item::Other;
    }
}

class ParagraphReader {
public:
    ParagraphReader(const WordNames& names, std::string& arena, std::vector<TextSpan>& spans)
        : m_names(names), m_arena(arena), m_spans(spans) {}

    void readInline(pugi::xml_node container) {
        walkBelow(container, [this](pugi::xml_node node) { return readItem(node); });
    }

private:
    // Reads one element of a paragraph or of an inline container; returns the
    // element whose children are read next, if any.
    pugi::xml_node readItem(pugi::xml_node node) {
        if (node.type() != pugi::node_element)
            return {};
        const char* local = m_names.local(node);
        if (!local) {
            if (m_names.isAlternateContent(node) || m_names.isMath(node))
                add(node, kPlaceholder, false);
            return {};
        }
        switch (itemOf(local)) {
        case Item::Run:
            readRun(node);
            return {};
        case Item::InlineContainer:
            return node;
        case Item::ContentControl:
            return node.child(m_names.qualified("sdtContent").c_str());
        default:
            return {};
        }
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
            const Item kind = itemOf(local);
            if (kind == Item::Text)
                addText(item);
            else if (const char* text = itemText(item, kind))
                add(item, text, false);
        }
    }

    // The character an item of a run stands for, or nullptr for markers.
    static const char* itemText(pugi::xml_node item, Item kind) {
        switch (kind) {
        case Item::Tab:
            return "\t";
        case Item::Break:
            return isPageOrColumnBreak(item) ? "\f" : "\v";
        case Item::CarriageReturn:
            return "\v";
        case Item::NoBreakHyphen:
            return "\x1E";
        case Item::SoftHyphen:
            return "\x1F";
        case Item::NoteReference:
            return kNoteReference;
        case Item::Placeholder:
            return kPlaceholder;
        default:
            return nullptr;
        }
    }

    static bool isPageOrColumnBreak(pugi::xml_node item) {
        const char* type = nullptr;
        for (pugi::xml_attribute attr : item.attributes()) {
            const char* colon = std::strrchr(attr.name(), ':');
            if (std::strcmp(colon ? colon + 1 : attr.name(), "type") == 0)
                type = attr.value();
        }
        return type && (std::strcmp(type, "page") == 0 || std::strcmp(type, "column") == 0);
    }

    // A w:t normally holds one text node; comments or CDATA may split it.
    // White space at either end of an element that does not ask for it to be
    // kept is not shown, so it is no part of the text.
    void addText(pugi::xml_node item) {
        pugi::xml_node first = item.first_child();
        const bool keepsSpaces = std::strcmp(item.attribute("xml:space").value(), "preserve") == 0;
        if (!first || !first.next_sibling()) {
            add(item, item.child_value(), true, keepsSpaces);
            return;
        }
        std::string joined;
        for (pugi::xml_node part = first; part; part = part.next_sibling())
            if (part.type() == pugi::node_pcdata || part.type() == pugi::node_cdata)
                joined += part.value();
        add(item, joined.c_str(), true, keepsSpaces);
    }

    static bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

    void add(pugi::xml_node node, const char* text, bool fromText, bool keepsSpaces = true) {
        size_t length = std::strlen(text);
        if (!keepsSpaces) {
            while (length > 0 && isXmlSpace(*text))
                ++text, --length;
            while (length > 0 && isXmlSpace(text[length - 1]))
                --length;
        }
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

bool holdsStoryParagraphs(const char* local) {
    return std::strcmp(local, "tbl") == 0 || std::strcmp(local, "tr") == 0 ||
           std::strcmp(local, "tc") == 0 || std::strcmp(local, "sdt") == 0 ||
           std::strcmp(local, "sdtContent") == 0 || std::strcmp(local, "customXml") == 0 ||
           std::strcmp(local, "ins") == 0 || std::strcmp(local, "moveTo") == 0;
}

void appendParagraphText(const WordNames& names, pugi::xml_node paragraph, std::string& arena,
                         std::vector<TextSpan>& spans) {
    ParagraphReader(names, arena, spans).readInline(paragraph);
}

} // namespace pellucor::word
