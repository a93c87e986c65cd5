#include "StoryOracle.h"

#include "support/TempDir.h"

#include <cstring>
#include <memory>
#include <pugixml.hpp>
#include <set>
#include <vector>

namespace pellucor::test {
namespace {

using word::StoryKind;

const char* localOf(pugi::xml_node node) {
    const char* colon = std::strchr(node.name(), ':');
    return colon ? colon + 1 : node.name();
}

bool isWord(pugi::xml_node node, const char* local) {
    return std::strncmp(node.name(), "w:", 2) == 0 && std::strcmp(localOf(node), local) == 0;
}

// Items that stand in the text for one character that is no space.
bool isObject(pugi::xml_node node) {
    return isWord(node, "drawing") || isWord(node, "pict") || isWord(node, "object") ||
           isWord(node, "tab") || isWord(node, "br") || isWord(node, "cr") || isWord(node, "sym") ||
           std::strcmp(node.name(), "m:oMath") == 0 ||
           std::strcmp(node.name(), "m:oMathPara") == 0 ||
           std::strcmp(node.name(), "mc:AlternateContent") == 0;
}

bool isHidden(pugi::xml_node node) {
    return isWord(node, "del") || isWord(node, "moveFrom") || isWord(node, "ruby") ||
           std::strcmp(node.name(), "mc:Fallback") == 0;
}

class Package {
public:
    explicit Package(const std::string& path) {
        for (auto& entry : readPackage(path))
            m_entries.emplace(entry.name, std::move(entry.data));
    }
    // The part parsed into document, false when it is missing or malformed.
    bool parse(const std::string& name, pugi::xml_document& document) const {
        auto found = m_entries.find(name);
        return found != m_entries.end() &&
               document.load_buffer(found->second.data(), found->second.size(),
                                    pugi::parse_default | pugi::parse_ws_pcdata);
    }

private:
    std::map<std::string, std::string> m_entries;
};

struct Counter {
    std::map<StoryKind, int> counts;
    std::vector<pugi::xml_node> boxes;
    std::vector<std::unique_ptr<pugi::xml_document>> documents;

    // The text of root, a line a paragraph, without its text boxes, which
    // are kept to be counted on their own.
    void count(pugi::xml_node root, StoryKind kind) {
        std::string text;
        std::vector<pugi::xml_node> pending{root.first_child()};
        while (!pending.empty()) {
            pugi::xml_node node = pending.back();
            pending.pop_back();
            if (!node)
                continue;
            pending.push_back(node.next_sibling());
            if (node.type() != pugi::node_element || isHidden(node))
                continue;
            if (isWord(node, "txbxContent")) {
                boxes.push_back(node);
                continue;
            }
            if (isWord(node, "p"))
                text += '\n';
            if (isObject(node))
                text += '\x01';
            if (isWord(node, "t"))
                text += node.text().get();
            else
                pending.push_back(node.first_child());
        }
        counts[kind] += doubleSpacesIn(text);
    }

    pugi::xml_node load(const Package& package, const std::string& name) {
        documents.push_back(std::make_unique<pugi::xml_document>());
        return package.parse(name, *documents.back()) ? documents.back()->document_element()
                                                      : pugi::xml_node();
    }
};

std::string folderOf(const std::string& part) {
    const auto slash = part.rfind('/');
    return slash == std::string::npos ? "" : part.substr(0, slash + 1);
}

std::string relationshipsOf(const std::string& part) {
    return folderOf(part) + "_rels/" + part.substr(folderOf(part).size()) + ".rels";
}

// The relationships of a part: id to type's last word and target part.
std::map<std::string, std::pair<std::string, std::string>> relationships(const Package& package,
                                                                         const std::string& part) {
    std::map<std::string, std::pair<std::string, std::string>> result;
    pugi::xml_document rels;
    if (!package.parse(relationshipsOf(part), rels))
        return result;
    for (pugi::xml_node rel : rels.document_element().children()) {
        const std::string type = rel.attribute("Type").value();
        const std::string target = rel.attribute("Target").value();
        if (std::strcmp(rel.attribute("TargetMode").value(), "External") == 0)
            continue;
        result[rel.attribute("Id").value()] = {type.substr(type.rfind('/') + 1),
                                               target.starts_with('/') ? target.substr(1)
                                                                       : folderOf(part) + target};
    }
    return result;
}

std::vector<pugi::xml_node> elementsNamed(pugi::xml_node root, const char* local) {
    std::vector<pugi::xml_node> found;
    for (const pugi::xpath_node& node :
         root.select_nodes(("//*[local-name()='" + std::string(local) + "']").c_str()))
        found.push_back(node.node());
    return found;
}

} // namespace

int doubleSpacesIn(const std::string& text) {
    int count = 0;
    for (size_t at = text.find(".  "); at != std::string::npos; at = text.find(".  ", at + 1))
        ++count;
    return count;
}

std::map<StoryKind, int> doubleSpacesByKind(const std::string& packagePath) {
    const Package package(packagePath);
    Counter counter;
    std::string main;
    for (const auto& [id, rel] : relationships(package, ""))
        if (rel.first == "officeDocument")
            main = rel.second;
    const pugi::xml_node document = counter.load(package, main);
    counter.count(document.child("w:body"), StoryKind::Main);
    const auto rels = relationships(package, main);
    std::set<std::string> headers;
    for (const char* reference : {"headerReference", "footerReference"})
        for (pugi::xml_node node : elementsNamed(document, reference))
            if (auto rel = rels.find(node.attribute("r:id").value());
                rel != rels.end() && headers.insert(rel->second.second).second)
                if (pugi::xml_node root = counter.load(package, rel->second.second))
                    counter.count(root, *reference == 'h' ? StoryKind::Header : StoryKind::Footer);
    const std::pair<const char*, StoryKind> items[] = {{"footnotes", StoryKind::Footnote},
                                                       {"endnotes", StoryKind::Endnote},
                                                       {"comments", StoryKind::Comment}};
    for (const auto& [type, kind] : items)
        for (const auto& [id, rel] : rels)
            if (rel.first == type)
                for (pugi::xml_node item : counter.load(package, rel.second).children()) {
                    const std::string itemType = item.attribute("w:type").value();
                    if (itemType.empty() || itemType == "normal")
                        counter.count(item, kind);
                }
    for (size_t k = 0; k < counter.boxes.size(); ++k)
        counter.count(counter.boxes[k], StoryKind::TextBox);
    return counter.counts;
}

} // namespace pellucor::test
