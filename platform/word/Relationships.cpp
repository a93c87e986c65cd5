#include "Relationships.h"

#include "MemoryBudget.h"
#include "XmlPart.h"
#include "zip/Package.h"

#include <cctype>
#include <cstring>

namespace pellucor::word {
namespace {

std::string folderOf(const std::string& part) {
    auto slash = part.find_last_of('/');
    return slash == std::string::npos ? std::string() : part.substr(0, slash + 1);
}

std::string percentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() &&
            std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string resolve(const std::string& base, const std::string& target) {
    std::string joined = !target.empty() && target[0] == '/' ? target.substr(1) : base + target;
    std::vector<std::string> parts;
    size_t from = 0;
    while (from <= joined.size()) {
        size_t to = joined.find('/', from);
        if (to == std::string::npos)
            to = joined.size();
        std::string segment = joined.substr(from, to - from);
        if (segment == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!segment.empty() && segment != ".") {
            parts.push_back(segment);
        }
        from = to + 1;
    }
    std::string result;
    for (const auto& part : parts)
        result += (result.empty() ? "" : "/") + part;
    return percentDecoded(result);
}

const char* localName(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

} // namespace

std::string relationshipsPartOf(const std::string& sourcePart) {
    auto slash = sourcePart.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : sourcePart.substr(0, slash + 1);
    std::string file = slash == std::string::npos ? sourcePart : sourcePart.substr(slash + 1);
    return folder + "_rels/" + file + ".rels";
}

std::vector<Relationship> readRelationships(const zip::Package& package,
                                            const std::string& sourcePart,
                                            const std::string& displayName, MemoryBudget& budget) {
    const std::string name = relationshipsPartOf(sourcePart);
    if (!package.contains(name))
        return {};
    const XmlPart part(name, readWithin(package, name, budget), displayName, &budget);
    struct GivenBack {
        MemoryBudget& budget;
        uint64_t bytes;
        ~GivenBack() { budget.release(bytes); }
    } givenBack{budget, part.memoryCost()};
    std::vector<Relationship> result;
    std::string base = folderOf(sourcePart);
    for (pugi::xml_node node : part.root().children()) {
        if (node.type() != pugi::node_element ||
            std::strcmp(localName(node.name()), "Relationship"))
            continue;
        Relationship rel;
        rel.id = node.attribute("Id").value();
        rel.type = node.attribute("Type").value();
        rel.external = std::strcmp(node.attribute("TargetMode").value(), "External") == 0;
        rel.target = rel.external ? node.attribute("Target").value()
                                  : resolve(base, node.attribute("Target").value());
        result.push_back(std::move(rel));
    }
    return result;
}

bool hasRelationshipType(const Relationship& rel, const std::string& lastSegment) {
    auto slash = rel.type.find_last_of('/');
    return slash != std::string::npos &&
           rel.type.compare(slash + 1, std::string::npos, lastSegment) == 0;
}

} // namespace pellucor::word
