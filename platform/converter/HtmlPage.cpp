#include "HtmlPage.h"

#include <cctype>

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

} // namespace

std::string withoutStylesheetLinks(std::string html) {
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        if (html.compare(at, 4, "<!--") == 0) {
            at = html.find("-->", at + 4);
            if (at == std::string::npos)
                break;
        } else if (startsTag(html, at + 1, "link")) {
            html.replace(at + 1, 4, "x-link");
        }
    }
    return html;
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
