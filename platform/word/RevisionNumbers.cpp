#include "RevisionNumbers.h"

#include "MemoryBudget.h"
#include "Relationships.h"
#include "TrackedEdits.h"
#include "XmlPart.h"
#include "zip/Package.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace pellucor::word {
namespace {

// Numbered items live in XML parts; the stories are XML whatever their
// parts are called. Pictures, fonts and embedded files are passed over.
bool mayHoldNumbers(const Relationship& rel) {
    if (zip::asciiLower(rel.target).ends_with(".xml"))
        return true;
    for (const char* story : {"officeDocument", "header", "footer", "footnotes", "endnotes",
                              "comments", "glossaryDocument"})
        if (hasRelationshipType(rel, story))
            return true;
    return false;
}

} // namespace

int64_t firstFreeRevisionId(const zip::Package& package, const std::vector<const XmlPart*>& parsed,
                            MemoryBudget& budget, const std::string& path) {
    std::unordered_map<std::string, const XmlPart*> parsedByName;
    for (const XmlPart* part : parsed)
        parsedByName.emplace(zip::asciiLower(part->name()), part);
    std::unordered_set<std::string> reached;
    std::vector<std::string> sources{""};
    int64_t highest = -1;
    // Breadth first through the relationships, each part once however
    // often it is named.
    for (size_t at = 0; at < sources.size(); ++at) {
        const std::vector<Relationship> relationships =
            readRelationships(package, sources[at], path, budget);
        for (const Relationship& rel : relationships) {
            std::string key = zip::asciiLower(rel.target);
            if (rel.external || !package.contains(rel.target) || !reached.insert(key).second)
                continue;
            sources.push_back(rel.target);
            if (auto found = parsedByName.find(key); found != parsedByName.end())
                highest = std::max(highest, highestIdIn(found->second->root()));
            else if (mayHoldNumbers(rel))
                highest = std::max(highest, highestIdIn(readWithin(package, rel.target, budget)));
        }
    }
    return highest + 1;
}

} // namespace pellucor::word
