#pragma once

#include <string>
#include <vector>

namespace pellucor::zip {
class Package;
}

namespace pellucor::word {

class MemoryBudget;

struct Relationship {
    std::string id;     // what the source part calls it by
    std::string type;   // the full type URI
    std::string target; // resolved to a part name without a leading slash
    bool external = false;
};

// The relationships of sourcePart ("" for the package itself), none when the
// package has no relationships part for it. Targets are resolved against the
// source part's folder. The part and its DOM are taken from the budget while
// it is read and given back after: the list left is a fraction of them.
std::vector<Relationship> readRelationships(const zip::Package& package,
                                            const std::string& sourcePart,
                                            const std::string& displayName, MemoryBudget& budget);

// "word/document.xml" -> "word/_rels/document.xml.rels"; "" -> "_rels/.rels".
std::string relationshipsPartOf(const std::string& sourcePart);

// Whether a relationship type URI ends in the given last segment
// ("officeDocument", "settings"), in either the transitional or strict form.
bool hasRelationshipType(const Relationship& rel, const std::string& lastSegment);

} // namespace pellucor::word
