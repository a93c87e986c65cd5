#pragma once

#include "WordNames.h"

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace pellucor::word {

// One frame: a group of adjacent body paragraphs with identical direct frame
// properties, or a floating table.
struct FrameData {
    std::vector<pugi::xml_node> paragraphs; // empty for a floating table
    pugi::xml_node table;                   // set for a floating table
    bool removed = false;

    bool isFloatingTable() const { return static_cast<bool>(table); }
};

// The frames of the main story in document order. Removing a frame takes it
// out of the list at once; removing the first costs constant time.
class FrameList {
public:
    FrameList(const WordNames& names, pugi::xml_node body);
    // False only when bytes hold no name of frame properties or table
    // position, so that a part parsed from them has no frame.
    static bool mayBeNamedIn(std::string_view bytes);

    bool changed() const { return m_changed; }
    int32_t count() const { return static_cast<int32_t>(m_frames.size() - m_head); }
    std::shared_ptr<FrameData> item(int32_t index) const; // 1-based, throws Error

    // Removes the frame's properties (paragraphs) or its positioning (table),
    // leaving text and layout order as they were.
    void remove(const std::shared_ptr<FrameData>& frame);
    // Stops a floating table from floating: it is then no longer a frame.
    void stopWrapping(const std::shared_ptr<FrameData>& frame);

private:
    const char* elementName(pugi::xml_node node) const;
    void addParagraph(pugi::xml_node paragraph);
    void addTables(pugi::xml_node table);
    void addTable(pugi::xml_node table);
    void unlist(const std::shared_ptr<FrameData>& frame);

    const WordNames& m_names;
    const std::string m_paragraphProperties, m_frameProperties, m_tableProperties, m_tablePosition;
    std::vector<std::shared_ptr<FrameData>> m_frames;
    size_t m_head = 0;
    bool m_changed = false;
    // the group being collected and the frame properties it shares
    std::shared_ptr<FrameData> m_open;
    pugi::xml_node m_openProperties;
};

} // namespace pellucor::word
