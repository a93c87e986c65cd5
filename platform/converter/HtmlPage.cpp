#include "HtmlPage.h"

#include "LibXml.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <utility>

namespace pellucor::converter {
namespace {

bool startsTag(const std::string& html, size_t at, const char* name) {
    size_t k = 0;
    for (; name[k]; ++k)
        if (at + k >= html.size() ||
            std::tolower(static_cast<unsigned char>(html[at + k])) != name[k])
            return false;
    if (at + k == html.size())
        return false;
    const char after = html[at + k];
    return after == '>' || after == '/' || std::isspace(static_cast<unsigned char>(after));
}

// Where the markup that starts at html[at] (a '<') ends: after a comment, a
// tag, or a whole style or script element, whose content is not text.
size_t markupEnd(const std::string& html, size_t at) {
    if (html.compare(at, 4, "<!--") == 0) {
        const size_t end = html.find("-->", at + 4);
        return end == std::string::npos ? html.size() : end + 3;
    }
    const char* closing = startsTag(html, at + 1, "style")    ? "/style"
                          : startsTag(html, at + 1, "script") ? "/script"
                                                              : nullptr;
    size_t end = at;
    if (closing)
        while ((end = html.find('<', end + 1)) != std::string::npos &&
               !startsTag(html, end + 1, closing))
            ;
    end = end == std::string::npos ? end : html.find('>', end);
    return end == std::string::npos ? html.size() : end + 1;
}

// Only called once libXml() was found loaded.
const LibXml& xml() {
    return *libXml();
}

// A parsed page, freed with it.
struct ParsedPage {
    htmlDocPtr document = nullptr;
    ~ParsedPage() {
        if (document)
            xml().freeDoc(document);
    }
};

bool named(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE &&
           xml().strcasecmp(node->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

std::string attributeOf(xmlNode* node, const char* name) {
    for (xmlAttr* attribute = node->properties; attribute; attribute = attribute->next)
        if (xml().strcasecmp(attribute->name, reinterpret_cast<const xmlChar*>(name)) == 0) {
            xmlChar* value = xml().content(reinterpret_cast<xmlNode*>(attribute));
            std::string text = value ? reinterpret_cast<const char*>(value) : "";
            xml().free(value);
            return text;
        }
    return {};
}

std::string lowered(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// The raw text of a style or script element, which is written back as it is.
std::string rawTextOf(xmlNode* node) {
    xmlChar* content = xml().content(node);
    std::string text = content ? reinterpret_cast<const char*>(content) : "";
    xml().free(content);
    return text;
}

// Whether a style sheet's text (in lower case) imports another, or could
// hide an import behind escapes or end early at markup other than the
// comment marks old pages wrap their rules in.
bool importsStyles(std::string css) {
    for (const char* mark : {"<!--", "-->"})
        for (size_t at; (at = css.find(mark)) != std::string::npos;)
            css.erase(at, std::strlen(mark));
    if (css.find('<') != std::string::npos)
        return true;
    for (size_t at = css.find('@'); at != std::string::npos; at = css.find('@', at + 1)) {
        size_t end = at + 1;
        while (end < css.size() && (std::isalnum(static_cast<unsigned char>(css[end])) ||
                                    css[end] == '-' || css[end] == '\\'))
            ++end;
        const std::string keyword = css.substr(at + 1, end - at - 1);
        if (keyword == "import" || keyword.find('\\') != std::string::npos)
            return true;
    }
    return false;
}

// Whether LibreOffice could take rules, or markup we did not see, from
// elsewhere through node: a linked stylesheet (link elements of any kind, a
// Link header given by a meta element), a style sheet that imports another
// or whose text could hide an import or the element's end (escapes, markup),
// a script whose text could end it early, and comments and processing
// instructions, whose ends another reader may find elsewhere.
bool reachesOut(xmlNode* node) {
    switch (node->type) {
    case XML_COMMENT_NODE:
    case XML_PI_NODE:
        return true;
    case XML_ELEMENT_NODE:
        break;
    default:
        return false;
    }
    if (named(node, "link"))
        return true;
    if (named(node, "meta"))
        return lowered(attributeOf(node, "http-equiv")) == "link";
    if (named(node, "style"))
        return importsStyles(lowered(rawTextOf(node)));
    if (named(node, "script"))
        return rawTextOf(node).find('<') != std::string::npos;
    return false;
}

// The node after node in document order, its children skipped when
// intoChildren is false; nullptr at the end.
xmlNode* following(xmlNode* node, bool intoChildren) {
    if (intoChildren && node->children)
        return node->children;
    while (node && !node->next)
        node = node->parent;
    return node ? node->next : nullptr;
}

bool isAscii(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The encoding a page without a declared one is read in: UTF-8 where its
// bytes are UTF-8, otherwise the Western encoding of the web.
const char* fallbackEncoding(const std::string& html) {
    return xml().checkUtf8(reinterpret_cast<const xmlChar*>(html.c_str())) &&
                   std::strlen(html.c_str()) == html.size()
               ? "UTF-8"
               : "windows-1252";
}

} // namespace

std::optional<std::string> withoutStylesheetLinks(const std::string& html) {
    const int options = HTML_PARSE_RECOVER | HTML_PARSE_NONET | HTML_PARSE_NOERROR |
                        HTML_PARSE_NOWARNING | XML_PARSE_HUGE;
    if (html.size() > static_cast<size_t>(INT32_MAX) || !libXml())
        return std::nullopt;
    const int length = static_cast<int>(html.size());
    ParsedPage page;
    page.document = xml().readMemory(html.data(), length, nullptr, nullptr, options);
    // A page that declares no encoding (nor has a byte-order mark) is read
    // again as UTF-8 or the Western encoding of the web, where it is not ASCII.
    const bool declared =
        page.document && (xml().metaEncoding(page.document) != nullptr ||
                          html.starts_with("\xFF\xFE") || html.starts_with("\xFE\xFF"));
    if (page.document && !declared && !isAscii(html)) {
        xml().freeDoc(std::exchange(page.document, nullptr));
        page.document =
            xml().readMemory(html.data(), length, nullptr, fallbackEncoding(html), options);
    }
    if (!page.document)
        return std::nullopt;
    for (xmlNode* node = xml().rootElement(page.document); node;) {
        const bool removed = reachesOut(node);
        xmlNode* next = following(node, !removed);
        if (removed) {
            xml().unlinkNode(node);
            xml().freeNode(node);
        }
        node = next;
    }
    // Written in the encoding the page declares; a page that declares none
    // is written in ASCII, every other character as a reference, which reads
    // the same in whatever encoding LibreOffice assumes.
    xmlChar* bytes = nullptr;
    int size = 0;
    xml().dumpMemory(page.document, &bytes, &size, 0);
    if (!bytes)
        return std::nullopt;
    std::string result(reinterpret_cast<const char*>(bytes), static_cast<size_t>(size));
    xml().free(bytes);
    return result;
}

std::string withSpacesShown(const std::string& html) {
    std::string result;
    result.reserve(html.size() + html.size() / 16);
    size_t at = 0;
    while (at < html.size()) {
        if (html[at] == '<') {
            const size_t end = markupEnd(html, at);
            result.append(html, at, end - at);
            at = end;
        } else if (html[at] == ' ' && at + 1 < html.size() && html[at + 1] == ' ') {
            for (; at + 1 < html.size() && html[at + 1] == ' '; ++at)
                result += "&nbsp;";
            result += ' ';
            ++at;
        } else {
            result += html[at++];
        }
    }
    return result;
}

} // namespace pellucor::converter
