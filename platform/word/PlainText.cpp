#include "PlainText.h"

#include "base/Error.h"
#include "Format.h"
#include "XmlPart.h"

#include <algorithm>

namespace pellucor::word {
namespace {

// The elements the word model reads, in the main vocabulary.
constexpr const char* kParagraph = "w:p";
constexpr const char* kRun = "w:r";
constexpr const char* kText = "w:t";

// What a line's paragraph takes in the DOM: an element with its name, and
// for a line with text a run, a text element that keeps its spaces, and the
// text beside it.
constexpr uint64_t kEmptyLineSize = 72;
constexpr uint64_t kLineSize = 5 * kEmptyLineSize;

constexpr std::string_view kLineEnds[] = {"", "\n", "\r", "\r\n"};

char codeOf(std::string_view end) {
    return static_cast<char>(std::find(std::begin(kLineEnds), std::end(kLineEnds), end) -
                             std::begin(kLineEnds));
}

} // namespace

PlainText::PlainText(std::string bytes, const std::string& path, MemoryBudget& budget) {
    const std::string text = decodeText(std::move(bytes), path, m_encoding);
    // Every line ending starts a paragraph: too many of them are refused
    // before any is made.
    budget.take(text.size());
    budget.check(std::count(text.begin(), text.end(), '\n') * kEmptyLineSize);
    pugi::xml_node document = m_xml.append_child("w:document");
    document.append_attribute("xmlns:w").set_value(kWordNs);
    m_body = document.append_child("w:body");
    const std::string_view all(text);
    size_t start = 0;
    while (start < all.size()) {
        const size_t end = all.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            addLine(all.substr(start), "", budget);
            break;
        }
        const size_t endLength = all.compare(end, 2, "\r\n") == 0 ? 2 : 1;
        addLine(all.substr(start, end - start), all.substr(end, endLength), budget);
        start = end + endLength;
    }
    // The text is let go: the DOM holds it now.
    budget.release(text.size());
}

void PlainText::addLine(std::string_view text, std::string_view end, MemoryBudget& budget) {
    budget.take(text.empty() ? kEmptyLineSize + 1 : kLineSize + text.size() + 1);
    pugi::xml_node paragraph = m_body.append_child(kParagraph);
    if (!text.empty()) {
        pugi::xml_node element = paragraph.append_child(kRun).append_child(kText);
        element.append_attribute("xml:space").set_value("preserve");
        element.text().set(text.data(), text.size());
    }
    m_lineEnds += codeOf(end);
}

std::string PlainText::bytes(const std::string& target) const {
    std::string text;
    size_t line = 0;
    for (pugi::xml_node paragraph = m_body.first_child(); paragraph;
         paragraph = paragraph.next_sibling(), ++line) {
        for (pugi::xml_node run = paragraph.first_child(); run; run = run.next_sibling())
            for (pugi::xml_node piece = run.first_child(); piece; piece = piece.next_sibling())
                text += piece.text().get();
        text += kLineEnds[static_cast<size_t>(m_lineEnds[line])];
    }
    std::string saved = encodeText(std::move(text), m_encoding, target);
    // What the file is read as is told from its bytes at every opening: a
    // text that would open as something else is not saved.
    if (!saved.empty() && sniffFormat(saved) != FileFormat::PlainText)
        throw Error(ErrorNumber::CannotSave,
                    "Could not save " + inQuotes(target) +
                        ": the changed text would no longer open as plain text (its bytes would "
                        "read as another kind of file). The file was left as it was.");
    return saved;
}

} // namespace pellucor::word
