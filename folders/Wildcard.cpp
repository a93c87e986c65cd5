#include "Wildcard.h"

#include "NameText.h"

#include <vector>

namespace pellucor::AddFolder::text {
namespace {

std::vector<char32_t> upperCased(const std::string& utf8) {
    std::vector<char32_t> codes;
    for (Character character : Decode(utf8))
        codes.push_back(FoldedCode(character));
    return codes;
}

// Glob matching that remembers only the last "*": on a mismatch that star
// takes one more character. Linear in practice, never exponential.
bool globMatches(const std::vector<char32_t>& name, const std::vector<char32_t>& pattern) {
    size_t n = 0, p = 0;
    size_t starAt = std::string::npos, resumeName = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == U'*') {
            starAt = p++;
            resumeName = n;
        } else if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == name[n])) {
            ++p;
            ++n;
        } else if (starAt != std::string::npos) {
            p = starAt + 1;
            n = ++resumeName;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

} // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    std::vector<char32_t> upperName = upperCased(name);
    std::vector<char32_t> upperPattern = upperCased(pattern);
    if (globMatches(upperName, upperPattern))
        return true;
    bool endsInDotStar = upperPattern.size() >= 2 && upperPattern.back() == U'*' &&
                         upperPattern[upperPattern.size() - 2] == U'.';
    if (!endsInDotStar)
        return false;
    upperPattern.resize(upperPattern.size() - 2);
    bool nameHasDot = false;
    for (char32_t code : upperName)
        nameHasDot = nameHasDot || code == U'.';
    return !nameHasDot && globMatches(upperName, upperPattern);
}

} // namespace pellucor::AddFolder::text
