#include "StoryOracle.h"

#include "support/TempDir.h"

#include <list>
#include <pugixml.hpp>
#include <set>
#include <vector>

namespace pellucor::test {
namespace {

using word::StoryKind;

bool named(pugi::xml_node node, const std::set<std::string>& names) {
    return names.count(node.name()) > 0;
}

// What stands for a character that is no space, and what no story shows.
const std::set<std::string> kObjects = {
    "w:drawing", "w:pict", "w:object", "w:tab",       "w:br",
    "w:cr",      "w:sym",  "m:oMath",  "m:oMathPara", "mc:AlternateContent"};
const std::set<std::string> kHidden = {"w:del", "w:moveFrom", "w:ruby", "mc:Fallback"};

struct Oracle {
    std::map<std::string, std::string> entries;
    std::list<pugi::xml_document> documents;
    std::map<StoryKind, int> counts;
    std::vector<pugi::xml_node> boxes;

    pugi::xml_node load(const std::string& name) {
        pugi::xml_document& document = documents.emplace_back();
        const std::string& bytes = entries[name];
        document.load_buffer(bytes.data(), bytes.size(),
                             pugi::parse_default | pugi::parse_ws_pcdata);
        return document.document_element();
    }

    // The text of root's w:t elements, a line a paragraph; its text boxes
    // are kept to be counted as stories of their own.
    void count(pugi::xml_node root, StoryKind kind) {
        std::string text;
        std::vector<pugi::xml_node> pending{root.first_child()};
        while (!pending.empty()) {
            pugi::xml_node node = pending.back();
            pending.pop_back();
            if (!node || (pending.push_back(node.next_sibling()), named(node, kHidden)))
                continue;
            if (node.name() == std::string("w:txbxContent"))
                boxes.push_back(node);
            else if (node.name() == std::string("w:t"))
                text += node.text().get();
            else
                pending.push_back(node.first_child());
            text += node.name() == std::string("w:p") ? "\n" : named(node, kObjects) ? "\x01" : "";
        }
        counts[kind] += doubleSpacesIn(text);
    }

    // Id to type and target part of a part's relationships.
    std::map<std::string, std::pair<std::string, std::string>> relationships(std::string part) {
        const std::string folder = part.substr(0, part.rfind('/') + 1);
        std::map<std::string, std::pair<std::string, std::string>> result;
        for (pugi::xml_node rel : load(folder + "_rels/" + part.substr(folder.size()) + ".rels")) {
            const std::string type = rel.attribute("Type").value();
            const std::string target = rel.attribute("Target").value();
            if (rel.attribute("TargetMode").value() != std::string("External"))
                result[rel.attribute("Id").value()] = {type.substr(type.rfind('/') + 1),
                                                       target.starts_with('/') ? target.substr(1)
                                                                               : folder + target};
        }
        return result;
    }
};

} // namespace

int doubleSpacesIn(const std::string& text) {
    int count = 0;
    for (size_t at = text.find(".  "); at != std::string::npos; at = text.find(".  ", at + 1))
        ++count;
    return count;
}

std::map<StoryKind, int> doubleSpacesByKind(const std::string& packagePath) {
    Oracle oracle;
    for (auto& entry : readPackage(packagePath))
        oracle.entries[entry.name] = std::move(entry.data);
    std::string main;
    for (const auto& [id, rel] : oracle.relationships(""))
        main = rel.first == "officeDocument" ? rel.second : main;
    const pugi::xml_node document = oracle.load(main);
    oracle.count(document.child("w:body"), StoryKind::Main);
    const auto rels = oracle.relationships(main);
    std::set<std::string> headers;
    for (const char* reference : {"headerReference", "footerReference"})
        for (const pugi::xpath_node& node :
             document.select_nodes(("//*[local-name()='" + std::string(reference) + "']").c_str()))
            if (auto rel = rels.find(node.node().attribute("r:id").value());
                rel != rels.end() && headers.insert(rel->second.second).second)
                oracle.count(oracle.load(rel->second.second),
                             *reference == 'h' ? StoryKind::Header : StoryKind::Footer);
    const std::map<std::string, StoryKind> items = {{"footnotes", StoryKind::Footnote},
                                                    {"endnotes", StoryKind::Endnote},
                                                    {"comments", StoryKind::Comment}};
    for (const auto& [id, rel] : rels)
        if (items.count(rel.first))
            for (pugi::xml_node item : oracle.load(rel.second).children())
                if (std::string type = item.attribute("w:type").value();
                    type.empty() || type == "normal")
                    oracle.count(item, items.at(rel.first));
    for (size_t k = 0; k < oracle.boxes.size(); ++k)
        oracle.count(oracle.boxes[k], StoryKind::TextBox);
    return oracle.counts;
}

} // namespace pellucor::test
