#pragma once

#include <string>
#include <vector>

namespace pellucor::word {

struct Relationship {
    std::string id;     // what the source part calls it by
    std::string type;   // the full type URI
    std::string target; // resolved to a part name without a leading slash
    bool external = false;
};

// The relationships part of sourcePart ("" for the package itself), read from
// its XML text. Targets are resolved against the source part's folder.
std::vector<Relationship> parseRelationships(const std::string& xml, const std::string& sourcePart,
                                             const std::string& displayName);

// "word/document.xml" -> "word/_rels/document.xml.rels"; "" -> "_rels/.rels".
std::string relationshipsPartOf(const std::string& sourcePart);

// Whether a relationship type URI ends in the given last segment
// ("officeDocument", "settings"), in either the transitional or strict form.
bool hasRelationshipType(const Relationship& rel, const std::string& lastSegment);

} // namespace pellucor::word
