#include "WordSegmenter.h"

#include "Error.h"

#include <unicode/brkiter.h>
#include <unicode/utext.h>

namespace pellucor::word {
namespace {

bool onlySpaces(std::string_view text) {
    for (char c : text)
        if (c != ' ')
            return false;
    return true;
}

} // namespace

WordSegmenter::WordSegmenter() {
    UErrorCode status = U_ZERO_ERROR;
    m_iterator.reset(icu::BreakIterator::createWordInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !m_iterator)
        throw Error(ErrorNumber::CommandFailed,
                    std::string("The document engine cannot start: the word boundary data could "
                                "not be loaded (") +
                        u_errorName(status) + ").");
}

WordSegmenter::~WordSegmenter() = default;

void WordSegmenter::wordStarts(std::string_view text, std::vector<uint32_t>& starts) {
    starts.clear();
    if (text.empty())
        return;
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    if (U_FAILURE(status)) {
        starts.push_back(0);
        return;
    }
    m_iterator->setText(utext, status);
    int32_t from = m_iterator->first();
    for (int32_t to = m_iterator->next(); to != icu::BreakIterator::DONE;
         from = to, to = m_iterator->next()) {
        std::string_view segment = text.substr(from, to - from);
        if (from == 0 || !onlySpaces(segment))
            starts.push_back(static_cast<uint32_t>(from));
    }
    utext_close(utext);
}

} // namespace pellucor::word
