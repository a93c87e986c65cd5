#pragma once

#include "EditOptions.h"
#include "MemoryBudget.h"
#include "Relationships.h"
#include "TrackedEdits.h"
#include "WordModel.h"
#include "WordNames.h"
#include "WordSegmenter.h"
#include "XmlPart.h"
#include "zip/Package.h"

#include <cstdint>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

namespace pellucor::word {

// The stories of a package after its main one, in the order they are
// walked: headers and footers in the order the main part's sections first
// name them (a part no section names is never shown, so it is not walked),
// footnotes and endnotes in the order of their parts without the separators,
// comments, and last the text boxes: those of the main story, then those of
// each story above in its order, a text box's own boxes after all of these.
// The parts are parsed when the list is made, each taken from the budget;
// each story's words are read when first asked for.
class StoryList {
public:
    // What the list is made from; the package and the parts are read only
    // while it is made.
    struct Sources {
        const zip::Package& package;
        XmlPart& main;
        const WordNames& mainNames;
        pugi::xml_node body;
        // The story parts parsed so far, kept with the document: a part
        // already here is used as it is, one parsed anew is added.
        std::vector<std::unique_ptr<XmlPart>>& parts;
        MemoryBudget& budget;
        WordSegmenter& segmenter;
        const std::string& path;
        Revisions* revisions; // whom the changes are by, when they are tracked
    };
    explicit StoryList(const Sources& sources);

    int32_t count() const { return static_cast<int32_t>(m_stories.size()); }
    StoryKind kind(int32_t at) const { return m_stories[checked(at)].kind; }
    int32_t number(int32_t at) const { return m_stories[checked(at)].number; }
    WordModel& words(int32_t at);
    // Sets a word's text, and the same word's in the text box's fallback twin.
    void setText(int32_t at, int32_t index, const std::string& text);
    // Puts every story's writes into its part and marks the part changed.
    void flush();

private:
    struct Story {
        StoryKind kind;
        int32_t number = 0;
        XmlPart* part = nullptr;
        const WordNames* names = nullptr;
        pugi::xml_node container;
        pugi::xml_node twin; // the fallback's copy of a text box, if any
        std::unique_ptr<WordModel> words;
        std::unique_ptr<WordModel> twinWords;
    };
    struct Reference {
        StoryKind kind;
        std::string id;
    };
    struct Box {
        pugi::xml_node content;
        pugi::xml_node twin;
    };

    size_t checked(int32_t at) const;
    void addHeadersAndFooters(const std::vector<Reference>& references);
    void addItemsOf(const char* relationship, const char* root, const char* item, StoryKind kind);
    void addBoxes(const std::vector<Box>& boxes, XmlPart* part, const WordNames* names);
    void add(StoryKind kind, XmlPart* part, const WordNames* names, pugi::xml_node container);
    XmlPart* part(const std::string& name);
    const WordNames& namesOf(XmlPart* part);
    std::vector<Box> boxesIn(pugi::xml_node container, const WordNames& names,
                             std::vector<Reference>* references) const;

    Sources m_sources;
    std::vector<Relationship> m_relationships; // the main part's
    std::vector<Story> m_stories;
    std::unordered_map<std::string, XmlPart*> m_parts; // by name
    std::unordered_map<XmlPart*, std::unique_ptr<WordNames>> m_names;
    int32_t m_counts[7] = {};
};

} // namespace pellucor::word
