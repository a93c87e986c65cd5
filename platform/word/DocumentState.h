#pragma once

#include "base/AtomicFile.h"
#include "converter/LegacyConverter.h"
#include "EditOptions.h"
#include "FrameList.h"
#include "MemoryBudget.h"
#include "PendingLegacySave.h"
#include "PlainText.h"
#include "Protection.h"
#include "StoryList.h"
#include "TrackedEdits.h"
#include "WordModel.h"
#include "WordNames.h"
#include "XmlPart.h"
#include "zip/Compression.h"
#include "zip/Package.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace pellucor::word {

using converter::LegacyConverter;
using converter::LegacyFormat;
using zip::Package;

class WordSegmenter;
class BatchDocument;

// One open document of the .docx family: its package, the parsed main and
// settings parts, and the word, frame and protection models over them. A
// .doc, .dot, .rtf or .odt is worked on as the .docx the converter makes of
// it and saved back in its own format.
class DocumentState {
public:
    // Reads and checks the file; throws Error with a plain description. A
    // document of a batch is taken up from what its earlier marks left, and
    // converted with the batch document's converter.
    static std::unique_ptr<DocumentState> open(const std::string& path, WordSegmenter& segmenter,
                                               LegacyConverter& converter,
                                               const EditOptions& options = {},
                                               BatchDocument* batch = nullptr);
    // A batch's document released untouched after a save leaves its parts
    // to the next opening of the file it was saved to.
    ~DocumentState();

    const std::string& path() const { return m_path; }
    std::string name() const;

    // The stories walked, the main story being story 0.
    int32_t storyCount();
    StoryKind storyKind(int32_t story);
    int32_t storyNumber(int32_t story);
    WordModel& words(int32_t story = 0);
    // Whether the document's format can hold tracked changes.
    bool keepsRevisions() const;
    // Sets a word's text in the story, and wherever the story is shown twice.
    void setText(int32_t story, int32_t index, const std::string& text);
    FrameList& frames();
    Protection& protection();

    // Writes the document, in its own format, atomically to path. In a
    // batch, a document reached through LibreOffice is handed to the batch
    // document as its save to path instead, and cannot be used after.
    void saveAs(const std::string& path);

private:
    DocumentState(std::string path, WordSegmenter& segmenter, LegacyConverter& converter,
                  BatchDocument* batch);
    void load(std::string bytes);
    void loadPackage(std::string bytes);
    bool isOpenDocumentText() const;
    void adopt(ParsedPackage parts);
    void adoptLegacy(LegacyDocument document);
    void handOver(const std::string& path);
    std::function<void(int fd)> lockingBeforeReplace(const std::string& path);
    void ensureNotHandedOver() const;
    void attachParts(const std::string& mainPartName);
    void savePackage(const std::string& path, const std::map<std::string, zip::Deflated>& replaced);
    void loadPlainText(std::string bytes);
    std::string convertedFromLegacy(std::string bytes, LegacyFormat format);
    void loadSettings(const std::string& mainPartName);
    StoryList* walkedStories(); // nullptr when only the main story is walked
    StoryList& otherStories(int32_t story);
    Revisions* revisions();
    int64_t firstFreeRevisionId();
    [[noreturn]] void refuse(const std::string& why) const;

    std::string m_path;
    EditOptions m_options;
    std::optional<MemoryBudget> m_budget; // set once the main part's size is known
    WordSegmenter& m_segmenter;
    LegacyConverter& m_converter;
    BatchDocument* m_batch; // the batch's document this one is a mark of, if any
    std::optional<LegacyFormat> m_legacy;
    std::string m_legacyBytes; // the file as it was opened, saved as is when nothing changed
    std::string m_legacyPath;  // where it was opened from: its links are relative to it
    bool m_neededView = false; // its conversion needed a view
    std::unique_ptr<PlainText> m_plainText; // instead of a package and its parts
    std::unique_ptr<Package> m_package;
    std::unique_ptr<XmlPart> m_main;
    std::unique_ptr<XmlPart> m_settings;
    std::unique_ptr<WordNames> m_names;
    pugi::xml_node m_body;
    std::unique_ptr<Revisions> m_revisions; // shared by every story's words
    std::unique_ptr<WordModel> m_words;
    std::vector<std::unique_ptr<XmlPart>> m_storyParts; // parsed once other stories are walked
    std::unique_ptr<StoryList> m_stories;
    std::unique_ptr<FrameList> m_frames;
    Protection m_protection{nullptr};
    std::optional<mode_t> m_sourceMode;    // a new file made of it is no more open than this
    std::optional<FileIdentity> m_savedAs; // the package file last written
    bool m_untouchedSinceSave = false;
    bool m_savedByThisRun = false; // opened from what its batch saved, unchanged since
};

// Reads a whole file; throws Error naming it when it is missing, a folder,
// unreadable or beyond the size a document can have.
std::string readDocumentFile(const std::string& path);

} // namespace pellucor::word
