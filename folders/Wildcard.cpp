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

// "*." and three characters, none a "*" or a ".": the patterns that also
// match the short form of a longer extension.
bool isThreeCharacterExtension(const std::vector<char32_t>& pattern) {
    if (pattern.size() != 5 || pattern[0] != U'*' || pattern[1] != U'.')
        return false;
    for (size_t i = 2; i < 5; ++i)
        if (pattern[i] == U'*' || pattern[i] == U'.')
            return false;
    return true;
}

// The name's extension is longer than three characters and begins with what
// the pattern's three match: "a.docx" for "*.doc", as its short form "A~1.DOC".
bool extensionBeginsWith(const std::vector<char32_t>& name, const std::vector<char32_t>& pattern) {
    size_t dot = name.size();
    while (dot > 0 && name[dot - 1] != U'.')
        --dot;
    if (dot == 0 || name.size() - dot <= 3)
        return false;
    for (size_t i = 0; i < 3; ++i)
        if (pattern[2 + i] != U'?' && pattern[2 + i] != name[dot + i])
            return false;
    return true;
}

} // namespace

bool MatchesPattern(const std::string& name, const std::string& pattern) {
    std::vector<char32_t> upperName = upperCased(name);
    std::vector<char32_t> upperPattern = upperCased(pattern);
    // The cheap test first: under "*.doc" most documents are .docx.
    if (isThreeCharacterExtension(upperPattern) && extensionBeginsWith(upperName, upperPattern))
        return true;
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
