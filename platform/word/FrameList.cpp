#include "FrameList.h"

#include "base/Error.h"
#include "TreeWalk.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>

namespace pellucor::word {
namespace {

std::vector<std::pair<std::string, std::string>> sortedAttributes(pugi::xml_node node) {
    std::vector<std::pair<std::string, std::string>> attributes;
    for (pugi::xml_attribute attr : node.attributes())
        attributes.emplace_back(attr.name(), attr.value());
    std::sort(attributes.begin(), attributes.end());
    return attributes;
}

bool sameProperties(pugi::xml_node a, pugi::xml_node b) {
    return sortedAttributes(a) == sortedAttributes(b);
}

// The elements that hold the story's paragraphs and tables.
bool isContainer(const char* local) {
    return std::strcmp(local, "tr") == 0 || std::strcmp(local, "tc") == 0 ||
           std::strcmp(local, "sdt") == 0 || std::strcmp(local, "sdtContent") == 0 ||
           std::strcmp(local, "customXml") == 0;
}

} // namespace

FrameList::FrameList(const WordNames& names, pugi::xml_node body)
    : m_names(names), m_paragraphProperties(names.qualified("pPr")),
      m_frameProperties(names.qualified("framePr")), m_tableProperties(names.qualified("tblPr")),
      m_tablePosition(names.qualified("tblpPr")) {
    walkBelow(body, [&](pugi::xml_node node) {
        const char* local = elementName(node);
        if (!local)
            return pugi::xml_node();
        if (std::strcmp(local, "p") == 0) {
            addParagraph(node);
            return pugi::xml_node();
        }
        if (std::strcmp(local, "tbl") == 0) {
            m_open.reset();
            addTables(node);
            return pugi::xml_node();
        }
        return isContainer(local) ? node : pugi::xml_node();
    });
    m_open.reset();
}

const char* FrameList::elementName(pugi::xml_node node) const {
    return node.type() == pugi::node_element ? m_names.local(node) : nullptr;
}

void FrameList::addParagraph(pugi::xml_node paragraph) {
    pugi::xml_node properties =
        paragraph.child(m_paragraphProperties.c_str()).child(m_frameProperties.c_str());
    if (!properties) {
        m_open.reset();
    } else if (m_open && sameProperties(properties, m_openProperties)) {
        m_open->paragraphs.push_back(paragraph);
    } else {
        m_open = std::make_shared<FrameData>();
        m_open->paragraphs.push_back(paragraph);
        m_openProperties = properties;
        m_frames.push_back(m_open);
    }
}

// A table and the tables nested in it, in document order; no paragraph of a
// table is a frame.
void FrameList::addTables(pugi::xml_node table) {
    addTable(table);
    walkBelow(table, [&](pugi::xml_node node) {
        const char* local = elementName(node);
        if (!local)
            return pugi::xml_node();
        if (std::strcmp(local, "tbl") == 0) {
            addTable(node);
            return node;
        }
        return isContainer(local) ? node : pugi::xml_node();
    });
}

void FrameList::addTable(pugi::xml_node table) {
    pugi::xml_node position = table.child(m_tableProperties.c_str()).child(m_tablePosition.c_str());
    if (!position)
        return;
    auto frame = std::make_shared<FrameData>();
    frame->table = table;
    m_frames.push_back(frame);
}

std::shared_ptr<FrameData> FrameList::item(int32_t index) const {
    if (index < 1 || index > count())
        throw Error(ErrorNumber::MemberMissing,
                    "The requested member of the collection does not exist: frame " +
                        std::to_string(index) + " of " + std::to_string(count()) + ".");
    return m_frames[m_head + static_cast<size_t>(index - 1)];
}

void FrameList::unlist(const std::shared_ptr<FrameData>& frame) {
    frame->removed = true;
    m_changed = true;
    if (m_head < m_frames.size() && m_frames[m_head] == frame) {
        m_frames[m_head++].reset();
        return;
    }
    auto found =
        std::find(m_frames.begin() + static_cast<ptrdiff_t>(m_head), m_frames.end(), frame);
    if (found != m_frames.end())
        m_frames.erase(found);
}

void FrameList::remove(const std::shared_ptr<FrameData>& frame) {
    if (frame->removed)
        throw Error(ErrorNumber::ObjectReleased, "The frame has already been removed.");
    if (frame->isFloatingTable()) {
        stopWrapping(frame);
        return;
    }
    for (pugi::xml_node paragraph : frame->paragraphs) {
        pugi::xml_node properties = paragraph.child(m_paragraphProperties.c_str());
        while (pugi::xml_node node = properties.child(m_frameProperties.c_str()))
            removeNode(node);
    }
    unlist(frame);
}

void FrameList::stopWrapping(const std::shared_ptr<FrameData>& frame) {
    if (frame->removed)
        throw Error(ErrorNumber::ObjectReleased, "The frame has already been removed.");
    pugi::xml_node properties = frame->table.child(m_tableProperties.c_str());
    for (const char* local : {"tblpPr", "tblOverlap"})
        while (pugi::xml_node node = properties.child(m_names.qualified(local).c_str()))
            removeNode(node);
    unlist(frame);
}

} // namespace pellucor::word
