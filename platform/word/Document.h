#pragma once

#include "EditOptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace pellucor::word {

struct EngineState;
class DocumentState;
struct FrameData;

// The object model of an open document. Every object is a light handle; any
// use after the application was quit raises Error.

// One word: its text includes the spaces that follow it.
class WordRange {
public:
    std::string Text() const;
    void SetText(const std::string& text);

private:
    friend class WordCollection;
    WordRange(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document,
              int32_t story, int32_t index);
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
    int32_t m_story;
    int32_t m_index;
};

class WordCollection {
public:
    int32_t Count() const;
    WordRange Item(int32_t index) const; // 1-based
    WordRange operator()(int32_t index) const { return Item(index); }
    // Item(index).Text() == head + tail, raising what they raise, without copies.
    bool textIs(int32_t index, std::string_view head, std::string_view tail = {}) const;

private:
    friend class Document;
    friend class Story;
    // Made for every word the engine's walk looks at: inline, as Document's.
    WordCollection(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document,
                   int32_t story = 0)
        : m_engine(std::move(engine)), m_document(std::move(document)), m_story(story) {}
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
    int32_t m_story;
};

// One story of the document and its own words: the capital rule and the
// first word are the story's own.
class Story {
public:
    StoryKind Kind() const;
    // 1-based among the stories of its kind, in document order.
    int32_t Number() const;
    WordCollection Words() const;

private:
    friend class StoryCollection;
    Story(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document,
          int32_t story);
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
    int32_t m_story;
};

// The stories the document was opened to walk: the main story first, then,
// when every story was asked for, the others in document order.
class StoryCollection {
public:
    int32_t Count() const;
    Story Item(int32_t index) const; // 1-based
    Story operator()(int32_t index) const { return Item(index); }

private:
    friend class Document;
    StoryCollection(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document);
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
};

struct FrameHandle {
    std::shared_ptr<EngineState> engine;
    std::shared_ptr<DocumentState> document;
    std::shared_ptr<FrameData> frame;
};

class TableRows {
public:
    bool WrapAroundText() const;
    void SetWrapAroundText(bool wrap);

private:
    friend class TableItem;
    explicit TableRows(FrameHandle handle) : m_handle(std::move(handle)) {}
    FrameHandle m_handle;
};

class TableItem {
public:
    TableRows Rows() const;

private:
    friend class FrameRange;
    explicit TableItem(FrameHandle handle) : m_handle(std::move(handle)) {}
    FrameHandle m_handle;
};

// The object model's query numbers for Information().
inline constexpr int wdWithInTable = 12;

class FrameRange {
public:
    bool Information(int type) const;
    TableItem Tables(int32_t index) const;

private:
    friend class Frame;
    explicit FrameRange(FrameHandle handle) : m_handle(std::move(handle)) {}
    FrameHandle m_handle;
};

class Frame {
public:
    FrameRange Range() const;
    void Delete();

private:
    friend class FrameCollection;
    explicit Frame(FrameHandle handle) : m_handle(std::move(handle)) {}
    FrameHandle m_handle;
};

class FrameCollection {
public:
    int32_t Count() const;
    Frame Item(int32_t index) const; // 1-based
    Frame operator()(int32_t index) const { return Item(index); }

private:
    friend class Document;
    FrameCollection(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document);
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
};

class Document {
public:
    // -1 when editing is not restricted, else 0 revisions, 1 comments,
    // 2 form fields, 3 reading only.
    int ProtectionType() const;
    // Removes a restriction that has no password; raises Error when it has one.
    void Unprotect();
    std::string name() const;     // the file name
    std::string FullName() const; // the full path
    FrameCollection Frames() const;
    WordCollection Words() const&; // the main story's
    // A handle about to go, as ActiveDocument()'s, hands its references over.
    WordCollection Words() &&;
    StoryCollection Stories() const;
    // Whether changes can be saved as revisions in the document's format; a
    // document that cannot hold them takes them outright.
    bool KeepsRevisions() const;
    // Saves in the document's own format, overwriting without asking.
    void SaveAs(const std::string& path);

private:
    friend class DocumentCollection;
    friend class Application;
    Document(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document)
        : m_engine(std::move(engine)), m_document(std::move(document)) {}
    DocumentState& state() const;
    std::shared_ptr<EngineState> m_engine;
    std::shared_ptr<DocumentState> m_document;
};

} // namespace pellucor::word
