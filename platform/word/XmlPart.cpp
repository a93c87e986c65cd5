#include "XmlPart.h"

#include "base/Error.h"
#include "base/ShownName.h"
#include "base/XmlText.h"
#include "MemoryBudget.h"

#include <cstring>
#include <sstream>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pellucor::word {
namespace {

constexpr unsigned kParseFlags = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_comments |
                                 pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype |
                                 pugi::parse_ws_pcdata;

// Hands the part on as it comes, checking it on the way.
struct CheckingWriter : pugi::xml_writer {
    explicit CheckingWriter(pugi::xml_writer& to) : next(to) {}
    void write(const void* data, size_t size) override {
        check.feed(std::string_view(static_cast<const char*>(data), size));
        next.write(data, size);
    }
    pugi::xml_writer& next;
    text::XmlOutputCheck check;
};

struct NoWriter : pugi::xml_writer {
    void write(const void*, size_t) override {}
};

constexpr unsigned kSaveFlags = pugi::format_raw | pugi::format_no_declaration;

struct StringWriter : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override {
        out.append(static_cast<const char*>(data), size);
    }
};

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Where the root element starts: after a byte order mark, the declaration,
// comments, processing instructions and white space. npos when unsure.
size_t rootStart(const std::string& bytes) {
    size_t at = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < bytes.size()) {
        if (isXmlSpace(bytes[at])) {
            ++at;
        } else if (bytes.compare(at, 2, "<?") == 0) {
            at = bytes.find("?>", at);
            at = at == std::string::npos ? at : at + 2;
        } else if (bytes.compare(at, 4, "<!--") == 0) {
            at = bytes.find("-->", at);
            at = at == std::string::npos ? at : at + 3;
        } else if (bytes[at] == '<' && at + 1 < bytes.size() && bytes[at + 1] != '!') {
            return at;
        } else {
            return std::string::npos;
        }
    }
    return std::string::npos;
}

// What the parser lets through but XML forbids around the root element:
// another element, text, or a declaration that is not the first thing.
const char* misplacedTopLevelContent(const pugi::xml_document& doc) {
    int elements = 0;
    bool first = true;
    for (pugi::xml_node node : doc.children()) {
        switch (node.type()) {
        case pugi::node_element:
            ++elements;
            break;
        case pugi::node_pcdata:
        case pugi::node_cdata:
            for (const char* c = node.value(); *c; ++c)
                if (!isXmlSpace(*c))
                    return "has text outside its root element";
            break;
        case pugi::node_declaration:
            if (!first)
                return "has an XML declaration that is not at its start";
            break;
        default:
            break;
        }
        first = false;
    }
    return elements > 1 ? "has more than one root element" : nullptr;
}

// The parser drops text after the root element without a word, so the bytes
// after the root's end tag are looked at before parsing: only white space,
// comments and processing instructions may follow it.
bool contentAfterRoot(const std::string& tail, const char* rootName) {
    size_t at = tail.rfind("</" + std::string(rootName));
    if (at == std::string::npos || (at = tail.find('>', at)) == std::string::npos)
        return false; // an empty root, or a tail of comments longer than we kept
    for (++at; at < tail.size();) {
        if (isXmlSpace(tail[at])) {
            ++at;
        } else if (tail.compare(at, 4, "<!--") == 0 || tail.compare(at, 2, "<?") == 0) {
            const bool comment = tail[at + 1] == '!';
            at = tail.find(comment ? "-->" : "?>", at);
            if (at == std::string::npos)
                return true;
            at += comment ? 3 : 2;
        } else {
            return true;
        }
    }
    return false;
}

constexpr size_t kTailKept = 4096;

// pugixml's node and attribute records: eight and five pointers.
constexpr uint64_t kNodeSize = 8 * sizeof(void*);
constexpr uint64_t kAttributeSize = 5 * sizeof(void*);

struct MarkupCount {
    uint64_t nodes = 0;
    uint64_t attributes = 0;

    void add(char c, char next) {
        nodes += (c == '<' && next != '/') + (c == '>' && next != '<');
        attributes += c == '=' && (next == '"' || next == '\'');
    }
};

#if defined(__SSE2__)
uint64_t sumOfBytes(__m128i counts) {
    const __m128i sums = _mm_sad_epu8(counts, _mm_setzero_si128());
    return static_cast<uint64_t>(_mm_cvtsi128_si64(sums)) +
           static_cast<uint64_t>(_mm_cvtsi128_si64(_mm_unpackhi_epi64(sums, sums)));
}

// Sixteen bytes at a time, as every part is counted before it is parsed. A
// byte lane meets at most one match a step, so it is summed every 255 steps.
size_t countBlocks(const char* xml, size_t size, MarkupCount& count) {
    const __m128i open = _mm_set1_epi8('<'), close = _mm_set1_epi8('>'), slash = _mm_set1_epi8('/');
    const __m128i equals = _mm_set1_epi8('='), quote = _mm_set1_epi8('"'),
                  apostrophe = _mm_set1_epi8('\'');
    auto load = [xml](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(xml + at));
    };
    size_t at = 0;
    while (at + 17 <= size) {
        __m128i nodes = _mm_setzero_si128(), attributes = _mm_setzero_si128();
        for (int k = 0; k < 255 && at + 17 <= size; ++k, at += 16) {
            const __m128i c = load(at), next = load(at + 1);
            const __m128i tags =
                _mm_andnot_si128(_mm_cmpeq_epi8(next, slash), _mm_cmpeq_epi8(c, open));
            const __m128i texts =
                _mm_andnot_si128(_mm_cmpeq_epi8(next, open), _mm_cmpeq_epi8(c, close));
            const __m128i quoted =
                _mm_or_si128(_mm_cmpeq_epi8(next, quote), _mm_cmpeq_epi8(next, apostrophe));
            nodes = _mm_sub_epi8(_mm_sub_epi8(nodes, tags), texts);
            attributes = _mm_sub_epi8(attributes, _mm_and_si128(_mm_cmpeq_epi8(c, equals), quoted));
        }
        count.nodes += sumOfBytes(nodes);
        count.attributes += sumOfBytes(attributes);
    }
    return at;
}
#else
size_t countBlocks(const char*, size_t, MarkupCount&) {
    return 0;
}
#endif

} // namespace

uint64_t estimatedDomSize(std::string_view xml) {
    MarkupCount count;
    size_t at = countBlocks(xml.data(), xml.size(), count);
    for (; at + 1 < xml.size(); ++at)
        count.add(xml[at], xml[at + 1]);
    return count.nodes * kNodeSize + count.attributes * kAttributeSize;
}

XmlPart::XmlPart(std::string partName, std::string bytes, const std::string& displayName,
                 MemoryBudget* budget)
    : m_name(std::move(partName)), m_displayName(displayName), m_buffer(std::move(bytes)) {
    m_cost = m_buffer.size() + estimatedDomSize(m_buffer);
    if (budget)
        budget->take(m_cost);
    else
        MemoryBudget(m_buffer.size(), displayName).take(m_cost);
    // Keep the bytes around the root element as they were (the line break
    // after the declaration, a byte order mark).
    size_t root = rootStart(m_buffer);
    if (root != std::string::npos && root > 0) {
        m_prolog = m_buffer.substr(0, root);
        size_t end = m_buffer.size();
        while (end > 0 && isXmlSpace(m_buffer[end - 1]))
            --end;
        if (end > 0 && m_buffer[end - 1] == '>')
            m_epilog = m_buffer.substr(end);
    }
    const std::string tail =
        m_buffer.substr(m_buffer.size() > kTailKept ? m_buffer.size() - kTailKept : 0);
    pugi::xml_parse_result result =
        m_doc.load_buffer_inplace(m_buffer.data(), m_buffer.size(), kParseFlags);
    auto fail = [&](const std::string& what) {
        throw Error(ErrorNumber::FileCorrupted, "The document " + inQuotes(displayName) +
                                                    " cannot be opened: its part " +
                                                    shownName(m_name) + " " + what + ".");
    };
    if (!result)
        fail("is not well-formed XML (" + std::string(result.description()) + " at byte " +
             std::to_string(result.offset) + ")");
    for (pugi::xml_node node : m_doc.children())
        if (node.type() == pugi::node_doctype)
            fail("declares a document type, which documents never do");
    if (!m_doc.document_element())
        fail("has no root element");
    if (const char* misplaced = misplacedTopLevelContent(m_doc))
        fail(std::string("is not well-formed XML: it ") + misplaced);
    if (contentAfterRoot(tail, m_doc.document_element().name()))
        fail("is not well-formed XML: it has content after its root element");
    m_encoding = result.encoding;
    // Raw bytes can be spliced around the root only in UTF-8, and only when
    // nothing but white space follows it.
    if (m_encoding != pugi::encoding_utf8 || m_doc.document_element().next_sibling()) {
        m_prolog.clear();
        m_epilog.clear();
    }
}

std::optional<std::string_view> XmlPart::namesAmong() const {
    if (m_encoding != pugi::encoding_utf8)
        return std::nullopt;
    return std::string_view(m_buffer);
}

std::string XmlPart::serialise() const {
    StringWriter writer;
    serialise(writer);
    return std::move(writer.out);
}

// A part is written only when it will read back as well-formed XML: a value
// set from outside (an author's name, text from another format) may hold a
// control character, a noncharacter or bytes that are not UTF-8. The bytes
// are checked as they are written, in UTF-8; a part in another encoding is
// written once more for the check alone.
void XmlPart::serialise(pugi::xml_writer& writer) const {
    if (m_encoding != pugi::encoding_utf8) {
        NoWriter nowhere;
        CheckingWriter checking(nowhere);
        m_doc.save(checking, "", kSaveFlags, pugi::encoding_utf8);
        refuseUnheld(checking.check.problem());
        m_doc.save(writer, "", kSaveFlags, m_encoding);
        return;
    }
    CheckingWriter checking(writer);
    if (!m_prolog.empty()) {
        checking.write(m_prolog.data(), m_prolog.size());
        root().print(checking, "", pugi::format_raw, pugi::encoding_utf8);
        checking.write(m_epilog.data(), m_epilog.size());
    } else {
        m_doc.save(checking, "", kSaveFlags, pugi::encoding_utf8);
    }
    refuseUnheld(checking.check.problem());
}

void XmlPart::refuseUnheld(const std::string& unheld) const {
    if (!unheld.empty())
        throw Error(ErrorNumber::CannotSave,
                    "The document " + inQuotes(m_displayName) + " cannot be saved: its part " +
                        shownName(m_name) + " would hold " + unheld +
                        ", which XML cannot hold, and no program could read it. Nothing was "
                        "written.");
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
