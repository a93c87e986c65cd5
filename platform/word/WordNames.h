#pragma once

#include <cstring>
#include <pugixml.hpp>
#include <string>

namespace pellucor::word {

// Element names of one part, resolved against the prefixes its root binds, so
// that transitional and strict documents (and unusual prefixes) read alike.
class WordNames {
public:
    explicit WordNames(pugi::xml_node root);

    // The local name when node is an element of the main vocabulary, else nullptr.
    const char* local(pugi::xml_node node) const { return strip(node, m_word); }
    bool is(pugi::xml_node node, const char* localName) const {
        const char* name = local(node);
        return name && std::strcmp(name, localName) == 0;
    }
    bool isAlternateContent(pugi::xml_node node) const;
    bool isMath(pugi::xml_node node) const;
    // The full name of an element or attribute of the main vocabulary: "w:t".
    std::string qualified(const char* localName) const { return m_word + localName; }

private:
    static const char* strip(pugi::xml_node node, const std::string& prefix) {
        const char* name = node.name();
        if (prefix.empty())
            return std::strchr(name, ':') ? nullptr : name;
        // A shorter name stops at its terminating zero, which no prefix holds.
        for (char c : prefix)
            if (*name++ != c)
                return nullptr;
        return name;
    }

    std::string m_word;
    std::string m_compat;
    std::string m_math;
};

} // namespace pellucor::word
