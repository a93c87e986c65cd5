#include "StoryList.h"

#include "base/Error.h"
#include "TreeWalk.h"

#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace pellucor::word {
namespace {

const char* localOf(const char* name) {
    const char* colon = std::strrchr(name, ':');
    return colon ? colon + 1 : name;
}

pugi::xml_node childNamed(pugi::xml_node node, const char* local) {
    for (pugi::xml_node child = node.first_child(); child; child = child.next_sibling())
        if (child.type() == pugi::node_element && std::strcmp(localOf(child.name()), local) == 0)
            return child;
    return {};
}

const char* attributeNamed(pugi::xml_node node, const char* local) {
    for (pugi::xml_attribute attribute : node.attributes())
        if (std::strcmp(localOf(attribute.name()), local) == 0)
            return attribute.value();
    return "";
}

// Deleted text is no part of a story, and text and run properties hold no
// text box: the search passes over them.
// Part names are compared as the package compares them: without case.
std::string partKey(const std::string& name) {
    std::string key = name.starts_with('/') ? name.substr(1) : name;
    for (char& c : key)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return key;
}

bool holdsNoBoxes(const char* local) {
    return std::strcmp(local, "t") == 0 || std::strcmp(local, "rPr") == 0 ||
           std::strcmp(local, "del") == 0 || std::strcmp(local, "moveFrom") == 0 ||
           std::strcmp(local, "delText") == 0 || std::strcmp(local, "instrText") == 0;
}

// The content an alternative is read in: its first choice, else its fallback.
pugi::xml_node chosen(pugi::xml_node alternate) {
    pugi::xml_node choice = childNamed(alternate, "Choice");
    return choice ? choice : childNamed(alternate, "Fallback");
}

// The text boxes below root, in document order, none inside another; of an
// alternative only the chosen content is searched.
std::vector<pugi::xml_node> boxesBelow(pugi::xml_node root, const WordNames& names) {
    std::vector<pugi::xml_node> boxes;
    walkBelow(root, [&](pugi::xml_node node) -> pugi::xml_node {
        if (node.type() != pugi::node_element)
            return {};
        if (names.isAlternateContent(node))
            return chosen(node);
        const char* local = names.local(node);
        if (!local)
            return node;
        if (std::strcmp(local, "txbxContent") == 0) {
            boxes.push_back(node);
            return {};
        }
        return holdsNoBoxes(local) ? pugi::xml_node() : node;
    });
    return boxes;
}

} // namespace

StoryList::StoryList(const Sources& sources) : m_sources(sources) {
    for (const auto& parsed : sources.parts)
        m_parts.emplace(partKey(parsed->name()), parsed.get());
    m_relationships =
        readRelationships(sources.package, sources.main.name(), sources.path, sources.budget);
    std::vector<Reference> references;
    const std::vector<Box> mainBoxes = boxesIn(sources.body, sources.mainNames, &references);
    addHeadersAndFooters(references);
    addItemsOf("footnotes", "footnotes", "footnote", StoryKind::Footnote);
    addItemsOf("endnotes", "endnotes", "endnote", StoryKind::Endnote);
    addItemsOf("comments", "comments", "comment", StoryKind::Comment);
    addBoxes(mainBoxes, &sources.main, &sources.mainNames);
    // Text boxes found in a story are added after every story, so that
    // those within text boxes come last; the list grows as it is read.
    for (size_t at = 0; at < m_stories.size(); ++at) {
        const Story& story = m_stories[at];
        addBoxes(boxesIn(story.container, *story.names, nullptr), story.part, story.names);
    }
}

size_t StoryList::checked(int32_t at) const {
    if (at < 0 || at >= count())
        throw Error(ErrorNumber::MemberMissing,
                    "The requested member of the collection does not exist: story " +
                        std::to_string(at + 2) + ".");
    return static_cast<size_t>(at);
}

// The text boxes of a story; with references, the headers and footers its
// sections name are listed too. A text box shown in two forms is taken in
// its chosen form, paired with its fallback when both hold as many boxes.
std::vector<StoryList::Box> StoryList::boxesIn(pugi::xml_node container, const WordNames& names,
                                               std::vector<Reference>* references) const {
    std::vector<Box> boxes;
    walkBelow(container, [&](pugi::xml_node node) -> pugi::xml_node {
        if (node.type() != pugi::node_element)
            return {};
        if (names.isAlternateContent(node)) {
            const pugi::xml_node choice = chosen(node);
            const pugi::xml_node fallback = childNamed(node, "Fallback");
            const auto inChoice = boxesBelow(choice, names);
            const auto inFallback =
                fallback != choice ? boxesBelow(fallback, names) : std::vector<pugi::xml_node>();
            for (size_t k = 0; k < inChoice.size(); ++k)
                boxes.push_back(Box{inChoice[k], inFallback.size() == inChoice.size()
                                                     ? inFallback[k]
                                                     : pugi::xml_node()});
            return {};
        }
        const char* local = names.local(node);
        if (!local)
            return node;
        if (std::strcmp(local, "txbxContent") == 0) {
            boxes.push_back(Box{node, {}});
            return {};
        }
        if (std::strcmp(local, "sectPr") == 0) {
            for (pugi::xml_node item = node.first_child(); references && item;
                 item = item.next_sibling()) {
                const char* name = names.local(item);
                if (name && std::strcmp(name, "headerReference") == 0)
                    references->push_back({StoryKind::Header, attributeNamed(item, "id")});
                else if (name && std::strcmp(name, "footerReference") == 0)
                    references->push_back({StoryKind::Footer, attributeNamed(item, "id")});
            }
            return {};
        }
        return holdsNoBoxes(local) ? pugi::xml_node() : node;
    });
    return boxes;
}

void StoryList::addHeadersAndFooters(const std::vector<Reference>& references) {
    std::unordered_map<std::string, const Relationship*> byId;
    for (const Relationship& rel : m_relationships)
        if (!rel.external)
            byId.emplace(rel.id, &rel);
    std::unordered_set<XmlPart*> added;
    for (const Reference& reference : references) {
        auto found = byId.find(reference.id);
        XmlPart* header = found == byId.end() ? nullptr : part(found->second->target);
        if (!header || !added.insert(header).second)
            continue;
        const WordNames& names = namesOf(header);
        if (names.is(header->root(), reference.kind == StoryKind::Header ? "hdr" : "ftr"))
            add(reference.kind, header, &names, header->root());
    }
}

// Each note or comment of the part the main part relates to in this way is a
// story; a note of a type other than normal (a separator) is not.
void StoryList::addItemsOf(const char* relationship, const char* root, const char* item,
                           StoryKind kind) {
    XmlPart* items = nullptr;
    for (const Relationship& rel : m_relationships)
        if (!rel.external && hasRelationshipType(rel, relationship) && (items = part(rel.target)))
            break;
    if (!items)
        return;
    const WordNames& names = namesOf(items);
    if (!names.is(items->root(), root))
        return;
    const std::string type = names.qualified("type");
    for (pugi::xml_node node : items->root().children()) {
        const char* itemType = node.attribute(type.c_str()).value();
        if (names.is(node, item) && (!*itemType || std::strcmp(itemType, "normal") == 0))
            add(kind, items, &names, node);
    }
}

void StoryList::addBoxes(const std::vector<Box>& boxes, XmlPart* part, const WordNames* names) {
    for (const Box& box : boxes) {
        add(StoryKind::TextBox, part, names, box.content);
        m_stories.back().twin = box.twin;
    }
}

void StoryList::add(StoryKind kind, XmlPart* part, const WordNames* names,
                    pugi::xml_node container) {
    Story story;
    story.kind = kind;
    story.number = ++m_counts[static_cast<size_t>(kind)];
    story.part = part;
    story.names = names;
    story.container = container;
    m_stories.push_back(std::move(story));
}

XmlPart* StoryList::part(const std::string& name) {
    const std::string key = partKey(name);
    if (auto found = m_parts.find(key); found != m_parts.end())
        return found->second;
    if (key == partKey(m_sources.main.name()) || !m_sources.package.contains(name))
        return nullptr;
    m_sources.parts.push_back(
        std::make_unique<XmlPart>(name, readWithin(m_sources.package, name, m_sources.budget),
                                  m_sources.path, &m_sources.budget));
    return m_parts[key] = m_sources.parts.back().get();
}

const WordNames& StoryList::namesOf(XmlPart* part) {
    std::unique_ptr<WordNames>& names = m_names[part];
    if (!names)
        names = std::make_unique<WordNames>(part->root());
    return *names;
}

// A text box's fallback follows its writes only while both read as the
// same words; otherwise the fallback is left as it was.
WordModel& StoryList::words(int32_t at) {
    Story& story = m_stories[checked(at)];
    if (story.words)
        return *story.words;
    story.words = std::make_unique<WordModel>(*story.names, story.container, m_sources.segmenter,
                                              m_sources.budget, m_sources.revisions);
    if (story.twin) {
        story.twinWords = std::make_unique<WordModel>(*story.names, story.twin, m_sources.segmenter,
                                                      m_sources.budget, m_sources.revisions);
        if (!story.words->sameWordsAs(*story.twinWords))
            story.twinWords.reset();
    }
    return *story.words;
}

void StoryList::setText(int32_t at, int32_t index, const std::string& text) {
    words(at).setText(index, text);
    if (Story& story = m_stories[static_cast<size_t>(at)]; story.twinWords)
        story.twinWords->setText(index, text);
}

void StoryList::flush() {
    for (Story& story : m_stories)
        for (WordModel* model : {story.words.get(), story.twinWords.get()})
            if (model && model->hasChanges()) {
                model->flush();
                story.part->markChanged();
            }
}

} // namespace pellucor::word
