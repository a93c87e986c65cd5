#include "Document.h"

#include "base/Error.h"
#include "EngineState.h"

namespace pellucor::word {
namespace {

// Errors of a document's objects say which document they concern.
template <typename Step>
auto inDocument(const DocumentState& document, Step&& step) -> decltype(step()) {
    try {
        return step();
    } catch (const Error& error) {
        throw Error(error.code(),
                    error.description() + " (document " + inQuotes(document.name()) + ")");
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::OutOfMemory,
                    "The memory ran out (document " + inQuotes(document.name()) + ").");
    }
}

void ensureLive(const FrameHandle& handle) {
    handle.engine->ensureAlive();
    if (handle.frame->removed)
        throw Error(ErrorNumber::ObjectReleased, "The frame has been removed from the document.");
}

} // namespace

const char* storyKindName(StoryKind kind) {
    switch (kind) {
    case StoryKind::Main:
        return "main";
    case StoryKind::Header:
        return "header";
    case StoryKind::Footer:
        return "footer";
    case StoryKind::Footnote:
        return "footnote";
    case StoryKind::Endnote:
        return "endnote";
    case StoryKind::Comment:
        return "comment";
    case StoryKind::TextBox:
        return "text box";
    }
    return "story";
}

DocumentState& Document::state() const {
    m_engine->ensureAlive();
    return *m_document;
}

int Document::ProtectionType() const {
    return state().protection().type();
}

void Document::Unprotect() {
    state().protection().unprotect(m_document->name());
}

std::string Document::name() const {
    return state().name();
}

std::string Document::FullName() const {
    return state().path();
}

FrameCollection Document::Frames() const {
    state();
    return FrameCollection(m_engine, m_document);
}

WordCollection Document::Words() const& {
    state();
    return WordCollection(m_engine, m_document);
}

WordCollection Document::Words() && {
    state();
    return WordCollection(std::move(m_engine), std::move(m_document));
}

void Document::SaveAs(const std::string& path) {
    try {
        state().saveAs(path);
    } catch (const std::bad_alloc&) {
        throw Error(ErrorNumber::CannotSave, "Could not save " + inQuotes(path) +
                                                 ": the memory ran out. The file was left as it "
                                                 "was.");
    }
}

bool Document::KeepsRevisions() const {
    return state().keepsRevisions();
}

StoryCollection Document::Stories() const {
    state();
    return StoryCollection(m_engine, m_document);
}

StoryCollection::StoryCollection(std::shared_ptr<EngineState> engine,
                                 std::shared_ptr<DocumentState> document)
    : m_engine(std::move(engine)), m_document(std::move(document)) {}

int32_t StoryCollection::Count() const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] { return m_document->storyCount(); });
}

Story StoryCollection::Item(int32_t index) const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] {
        const int32_t count = m_document->storyCount();
        if (index < 1 || index > count)
            throw Error(ErrorNumber::MemberMissing,
                        "The requested member of the collection does not exist: story " +
                            std::to_string(index) + " of " + std::to_string(count) + ".");
        return Story(m_engine, m_document, index - 1);
    });
}

Story::Story(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document,
             int32_t story)
    : m_engine(std::move(engine)), m_document(std::move(document)), m_story(story) {}

StoryKind Story::Kind() const {
    m_engine->ensureAlive();
    return m_document->storyKind(m_story);
}

int32_t Story::Number() const {
    m_engine->ensureAlive();
    return m_document->storyNumber(m_story);
}

WordCollection Story::Words() const {
    m_engine->ensureAlive();
    return WordCollection(m_engine, m_document, m_story);
}

int32_t WordCollection::Count() const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] { return m_document->words(m_story).count(); });
}

WordRange WordCollection::Item(int32_t index) const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] {
        int32_t count = m_document->words(m_story).count();
        if (index < 1 || index > count)
            throw Error(ErrorNumber::MemberMissing,
                        "The requested member of the collection does not exist: word " +
                            std::to_string(index) + " of " + std::to_string(count) + ".");
        return WordRange(m_engine, m_document, m_story, index);
    });
}

bool WordCollection::textIs(int32_t index, std::string_view head, std::string_view tail) const {
    m_engine->ensureAlive();
    return inDocument(*m_document,
                      [&] { return m_document->words(m_story).textIs(index, head, tail); });
}

WordRange::WordRange(std::shared_ptr<EngineState> engine, std::shared_ptr<DocumentState> document,
                     int32_t story, int32_t index)
    : m_engine(std::move(engine)), m_document(std::move(document)), m_story(story), m_index(index) {
}

std::string WordRange::Text() const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] { return m_document->words(m_story).text(m_index); });
}

void WordRange::SetText(const std::string& text) {
    m_engine->ensureAlive();
    inDocument(*m_document, [&] { m_document->setText(m_story, m_index, text); });
}

FrameCollection::FrameCollection(std::shared_ptr<EngineState> engine,
                                 std::shared_ptr<DocumentState> document)
    : m_engine(std::move(engine)), m_document(std::move(document)) {}

int32_t FrameCollection::Count() const {
    m_engine->ensureAlive();
    return m_document->frames().count();
}

Frame FrameCollection::Item(int32_t index) const {
    m_engine->ensureAlive();
    return inDocument(*m_document, [&] {
        return Frame(FrameHandle{m_engine, m_document, m_document->frames().item(index)});
    });
}

FrameRange Frame::Range() const {
    ensureLive(m_handle);
    return FrameRange(m_handle);
}

void Frame::Delete() {
    inDocument(*m_handle.document, [&] {
        ensureLive(m_handle);
        m_handle.document->frames().remove(m_handle.frame);
    });
}

bool FrameRange::Information(int type) const {
    ensureLive(m_handle);
    if (type != wdWithInTable)
        throw Error(ErrorNumber::NotAvailable, "Information(" + std::to_string(type) +
                                                   ") is not available for a frame's range.");
    return m_handle.frame->isFloatingTable();
}

TableItem FrameRange::Tables(int32_t index) const {
    ensureLive(m_handle);
    if (!m_handle.frame->isFloatingTable() || index != 1)
        throw Error(ErrorNumber::MemberMissing,
                    "The requested member of the collection does not exist: the frame holds no "
                    "table " +
                        std::to_string(index) + " (document " +
                        inQuotes(m_handle.document->name()) + ")");
    return TableItem(m_handle);
}

TableRows TableItem::Rows() const {
    ensureLive(m_handle);
    return TableRows(m_handle);
}

bool TableRows::WrapAroundText() const {
    m_handle.engine->ensureAlive();
    return !m_handle.frame->removed;
}

void TableRows::SetWrapAroundText(bool wrap) {
    m_handle.engine->ensureAlive();
    if (wrap) {
        if (m_handle.frame->removed)
            throw Error(ErrorNumber::NotAvailable,
                        "Text wrapping cannot be turned back on for this table.");
        return;
    }
    if (!m_handle.frame->removed)
        inDocument(*m_handle.document,
                   [&] { m_handle.document->frames().stopWrapping(m_handle.frame); });
}

} // namespace pellucor::word
