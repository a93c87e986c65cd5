#include "WordNames.h"

#include "XmlPart.h"

namespace pellucor::word {

WordNames::WordNames(pugi::xml_node root)
    : m_word(prefixFor(root, {kWordNs, kWordStrictNs})),
      m_compat(prefixFor(root, {kMarkupCompatNs})),
      m_math(prefixFor(root, {kMathNs, kMathStrictNs})) {
    if (m_math == kNoPrefix)
        m_math = "m:";
    if (m_compat == kNoPrefix)
        m_compat = "mc:";
}

bool WordNames::isAlternateContent(pugi::xml_node node) const {
    const char* name = strip(node, m_compat);
    return name && std::strcmp(name, "AlternateContent") == 0;
}

bool WordNames::isMath(pugi::xml_node node) const {
    const char* name = strip(node, m_math);
    return name && (std::strcmp(name, "oMath") == 0 || std::strcmp(name, "oMathPara") == 0);
}

} // namespace pellucor::word
