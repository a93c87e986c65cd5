#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace pellucor::converter {

// The formats the engine reaches through LibreOffice: they are converted to
// .docx to be worked on and back to themselves to be saved.
enum class LegacyFormat { Doc, Dot, Rtf, Odt, FlatOdt, Word2003Xml, Html };

// Whether a compound file is a .doc or a .dot; throws Error naming path when
// it is encrypted, damaged or not a Word document.
LegacyFormat legacyFormatOfCompoundFile(const std::string& bytes, const std::string& path);

// The file:// URL of an absolute path.
std::string fileUrlOf(const std::string& path);

class ConverterService;

// One engine instance's conversions, run by LibreOffice headless with a
// profile of its own in a private temporary folder, so that the user's own
// LibreOffice is never touched or waited for; that profile keeps LibreOffice
// off the network and from loading what a document links to. They go to the
// pool of LibreOffices the program shares between engine instances, when it
// gave one; where there is none or it cannot run (no Python with UNO, or
// PELLUCOR_CONVERTER=process), or where it fails on a document, that
// conversion starts LibreOffice with --convert-to, so that one troublesome
// document costs no other its service. LibreOffice is looked up on $PATH at
// each conversion; PELLUCOR_CONVERT_TIMEOUT (seconds, 60 unless set) bounds
// each one. Every failure is an Error naming the document.
class LegacyConverter {
public:
    // conversions, when given, must outlive the converter.
    explicit LegacyConverter(ConverterService* conversions = nullptr)
        : m_conversions(conversions) {}
    ~LegacyConverter();
    LegacyConverter(const LegacyConverter&) = delete;
    LegacyConverter& operator=(const LegacyConverter&) = delete;

    // The .docx package of the document at documentPath, whose bytes are
    // given; neededView, when given, tells whether LibreOffice needed a view
    // to convert it (it holds embedded objects).
    std::string toDocx(const std::string& documentPath, const std::string& bytes,
                       LegacyFormat format, bool* neededView = nullptr);

    // Converts a .docx package into format and writes it atomically to target,
    // once the saved file, read back, says what the package says. Relative
    // links keep their text when documentPath names the document as it was
    // opened (target stands for it when empty). A new file's permissions are
    // drawn from sourceMode. withView: its conversion to .docx needed a view,
    // so this one takes a view at once.
    void saveAs(const std::string& docxBytes, LegacyFormat format, const std::string& target,
                const std::string& documentPath = {},
                std::optional<mode_t> sourceMode = std::nullopt, bool withView = false);

    // How many conversions, either way, every converter of the program has
    // begun so far.
    static unsigned long conversionCount();

    // The pool this converter shares, or null.
    ConverterService* conversions() const { return m_conversions; }

    // Removes the private folder and the profile in it. The converter can be
    // used again afterwards; it then starts a new folder.
    void release();

private:
    struct Conversion;
    struct AloneStep {
        std::string input, outDir, importFilter, target;
    };
    std::string convert(const std::string& inputBytes, const Conversion& conversion);
    bool convertShared(const std::string& soffice, const std::string& input,
                       const std::string& output, const Conversion& conversion, std::string& said);
    void rewrite(const std::string& path, const std::string& bytes, const Conversion& conversion);
    void convertAlone(const std::string& soffice, const std::string& input,
                      const std::string& output, const Conversion& conversion,
                      const std::string& serviceSaid);
    void runAlone(const std::string& soffice, const AloneStep& step, const Conversion& conversion,
                  const std::string& serviceSaid);
    void checkReadBackAlone(const std::string& soffice, const std::string& input,
                            const std::string& output, const Conversion& conversion);
    const std::string& privateFolder(const Conversion& conversion, const std::string& soffice);
    void refuseIfPrivatePathHeld(const std::string& saved, const Conversion& conversion) const;

    // The text a save meant and read back, how they differ ("" when they do
    // not), and whether the shared LibreOffice saved it.
    struct ReadBackTexts {
        std::string intended, readBack, difference;
        bool byService = false;
    };
    static ReadBackTexts readBackTexts(std::string intended, std::string readBack, bool byService);
    std::string unexplainedByRoundTrip(const ReadBackTexts& changed, LegacyFormat format,
                                       const Conversion& conversion);
    ConverterService* m_conversions;
    std::string m_folder;
    std::optional<ReadBackTexts> m_readBack; // of the last save, until it is judged
    bool m_processOnly = false;              // conversions by a LibreOffice of its own only
};

} // namespace pellucor::converter
