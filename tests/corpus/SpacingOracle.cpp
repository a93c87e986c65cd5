#include "SpacingOracle.h"

namespace pellucor::test {
namespace {

std::string visible(std::string_view text, size_t at) {
    size_t begin = at < 20 ? 0 : at - 20;
    std::string shown;
    for (char c : text.substr(begin, 40))
        shown += c == '\r' ? std::string("\\r") : std::string(1, c);
    return "\"" + shown + "\"";
}

} // namespace

SpaceDiff spacesAddedAfterDot(std::string_view shorter, std::string_view longer) {
    SpaceDiff diff;
    size_t i = 0, j = 0;
    size_t lastInsertion = std::string_view::npos;
    while (i < shorter.size() || j < longer.size()) {
        if (i < shorter.size() && j < longer.size() && shorter[i] == longer[j]) {
            ++i, ++j;
            continue;
        }
        const bool afterDotSpace = i >= 2 && shorter[i - 1] == ' ' && shorter[i - 2] == '.';
        const bool beforeNonSpace = i == shorter.size() || shorter[i] != ' ';
        if (j < longer.size() && longer[j] == ' ' && afterDotSpace && beforeNonSpace &&
            lastInsertion != i) {
            ++diff.added, ++j;
            lastInsertion = i;
            continue;
        }
        diff.mismatch = "the texts part at character " + std::to_string(i) + ": " +
                        visible(shorter, i) + " against " + visible(longer, j);
        return diff;
    }
    return diff;
}

} // namespace pellucor::test
