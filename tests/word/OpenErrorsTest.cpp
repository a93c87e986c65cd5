// Files that cannot be opened: each gives an Error that names the file, and
// nothing is written beside it.

#include "word/XmlPart.h"
#include "WordTestSupport.h"

#include <filesystem>
#include <functional>
#include <random>
#include <sys/stat.h>

namespace pellucor::test {
namespace {

constexpr const char* kWordNs = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";

std::string mainPartWith(const std::string& xml) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n" + xml;
}

uint32_t readNumber(const std::string& bytes, size_t at) {
    uint32_t value = 0;
    for (int k = 3; k >= 0; --k)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(k)]);
    return value;
}

void writeNumber(std::string& bytes, size_t at, uint32_t value) {
    for (size_t k = 0; k < 4; ++k)
        bytes[at + k] = static_cast<char>((value >> (8 * k)) & 0xFF);
}

// Makes the local and central headers of one entry claim another
// uncompressed size, as a crafted package would.
std::string withDeclaredSize(std::string bytes, const std::string& name, uint32_t size) {
    int patched = 0;
    for (size_t at = 0; at + 46 < bytes.size(); ++at) {
        bool local = bytes.compare(at, 4, "PK\x03\x04") == 0;
        bool central = bytes.compare(at, 4, "PK\x01\x02") == 0;
        size_t nameAt = local ? at + 30 : at + 46;
        size_t lengthAt = local ? at + 26 : at + 28;
        if ((!local && !central) || (readNumber(bytes, lengthAt) & 0xFFFF) != name.size() ||
            bytes.compare(nameAt, name.size(), name) != 0)
            continue;
        writeNumber(bytes, local ? at + 22 : at + 24, size);
        ++patched;
    }
    EXPECT_EQ(patched, 2) << "headers of " << name;
    return bytes;
}

// A compound file, as legacy documents and encrypted packages are stored.
std::string compoundFile(bool withEncryptedPackage) {
    std::string bytes("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    bytes.resize(1024, '\0');
    if (withEncryptedPackage)
        for (char c : std::string("EncryptedPackage"))
            bytes += std::string{c, '\0'};
    bytes.resize(4096, '\0');
    return bytes;
}

using Maker = std::function<void(const std::string& path)>;

Maker bytesOf(std::string bytes) {
    return [bytes](const std::string& path) { writeFile(path, bytes); };
}

Maker fixture(DocxBuilder builder) {
    return [builder](const std::string& path) { builder.write(path); };
}

// A good package whose bytes are then damaged.
Maker damaged(std::function<std::string(std::string)> damage) {
    return [damage](const std::string& path) {
        DocxBuilder(textP("Hello.")).write(path);
        writeFile(path, damage(readFile(path)));
    };
}

// A package whose main part ends in so many spaces that it compresses more
// than any real document does; it is well-formed otherwise.
Maker spaceBomb() {
    return [](const std::string& path) {
        const DocxBuilder good(textP("Hello."));
        DocxBuilder(good)
            .part("word/document.xml", good.documentXml() + std::string(24u << 20, ' '))
            .write(path);
    };
}

// A part of nothing but empty paragraphs: a few hundred kilobytes of package
// whose DOM would take more than ten times the part.
Maker emptyParagraphs(const std::string& part) {
    return [part](const std::string& path) {
        const DocxBuilder good(textP("Hello."));
        std::string many;
        for (size_t size = 0; size < (16u << 20); size += 6)
            many += "<w:p/>";
        const std::string xml =
            part == "_rels/.rels"
                ? R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/)"
                  R"(relationships">)" +
                      many + "</Relationships>"
                : mainPartWith("<w:document xmlns:w=\"" + std::string(kWordNs) + "\"><w:body>" +
                               many + "</w:body></w:document>");
        DocxBuilder(good).part(part, xml).write(path);
    };
}

// Package relationships of ten megabytes, padded with elements of counters:
// within what a main part of their size may take, beyond a small document's
// budget.
Maker relationshipsOfTenMegabytes() {
    return [](const std::string& path) {
        const DocxBuilder good(textP("Hello."));
        std::string rels = good.entries()[1].second;
        std::string padding;
        char item[32];
        for (unsigned k = 0; padding.size() < (10u << 20); ++k)
            padding.append(
                item, static_cast<size_t>(std::snprintf(item, sizeof item, "<x>%016u</x>", k)));
        DocxBuilder(good)
            .part("_rels/.rels",
                  replacedOnce(rels, "</Relationships>", padding + "</Relationships>"))
            .write(path);
    };
}

Maker copyOfCorpus(const std::string& name) {
    return [name](const std::string& path) {
        copyFile(std::string(PELLUCOR_CORPUS_DIR) + "/" + name, path);
    };
}

struct OpenErrorCase {
    std::string name;
    Maker make;
    std::string says = ""; // beside the file's name, when it matters
};

std::ostream& operator<<(std::ostream& out, const OpenErrorCase& c) {
    return out << c.name;
}

std::vector<OpenErrorCase> openErrorCases() {
    const DocxBuilder good(textP("Hello."));
    return {
        {"MissingFile", [](const std::string&) {}},
        {"Folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
        {"PipeWithNoWriter", [](const std::string& path) { ::mkfifo(path.c_str(), 0600); }},
        {"EmptyFile", bytesOf("")},
        {"BinaryFile", bytesOf(std::string("\x7F"
                                           "ELF\x02\x01\0\0",
                                           8))},
        {"TruncatedZip",
         damaged([](std::string bytes) { return bytes.substr(0, bytes.size() / 2); })},
        {"ZipWithoutPackageRelationships", fixture(DocxBuilder(good).without("_rels/.rels"))},
        {"ZipWithoutMainPart", fixture(DocxBuilder(good).without("word/document.xml"))},
        {"RelationshipsNameNoMainPart",
         fixture(DocxBuilder(good).part(
             "_rels/.rels", R"(<Relationships xmlns="http://schemas.openxmlformats.org/)"
                            R"(package/2006/relationships"/>)"))},
        {"MainPartRootIsNotADocument",
         fixture(DocxBuilder(good).part(
             "word/document.xml",
             mainPartWith("<w:styles xmlns:w=\"" + std::string(kWordNs) + "\"/>")))},
        {"MainPartInAForeignNamespace",
         fixture(DocxBuilder(good).part(
             "word/document.xml",
             mainPartWith(R"(<w:document xmlns:w="urn:other"><w:body/></w:document>)")))},
        {"MalformedXml",
         fixture(DocxBuilder(good).part(
             "word/document.xml", mainPartWith("<w:document xmlns:w=\"" + std::string(kWordNs) +
                                               "\"><w:body><w:p></w:body></w:document>")))},
        {"ElementAfterTheRoot",
         fixture(DocxBuilder(good).part("word/document.xml", good.documentXml() + "<w:body/>"))},
        {"TextAfterTheRoot",
         fixture(DocxBuilder(good).part("word/document.xml", good.documentXml() + "junk"))},
        {"DocumentTypeDeclaration",
         fixture(DocxBuilder(good).part(
             "word/document.xml",
             mainPartWith("<!DOCTYPE w:document [<!ENTITY e \"EXPANDED\">]><w:document "
                          "xmlns:w=\"" +
                          std::string(kWordNs) +
                          "\"><w:body><w:p><w:r><w:t>&e;</w:t></w:r></w:p></w:body>"
                          "</w:document>")))},
        {"DocumentTypeDeclarationInSettings",
         fixture(DocxBuilder(good).part(
             "word/settings.xml",
             mainPartWith("<!DOCTYPE x [<!ENTITY a \"aaaaaaaaaa\">]><w:settings xmlns:w=\"" +
                          std::string(kWordNs) + "\"/>")))},
        {"CompressionRatioOfABomb", spaceBomb()},
        {"EmptyParagraphsBeyondTheMemoryBudget", emptyParagraphs("word/document.xml"),
         "too large to work on"},
        {"RelationshipsBeyondTheirMemoryBudget", emptyParagraphs("_rels/.rels"),
         "too large to work on"},
        {"RelationshipsBeyondTheDocumentsBudget", relationshipsOfTenMegabytes(),
         "too large to work on"},
        {"PartClaimingMoreThanTheInflateLimit", damaged([](std::string bytes) {
             return withDeclaredSize(std::move(bytes), "word/document.xml", 600u << 20);
         })},
        {"PartLongerThanItsRecordedSize", damaged([](std::string bytes) {
             return withDeclaredSize(std::move(bytes), "word/document.xml", 40);
         })},
        {"TextOfMoreThanOneControlByteInSixteenBesideItsSpaces",
         bytesOf("\x01\x02"
                 "Abcdefghij.  Klmnopqrst.  Uvwxyz"),
         "not a word-processing document"},
        {"EncryptedPackage", bytesOf(compoundFile(true))},
        {"EncryptedPackageFromTheCorpus", copyOfCorpus("msoffcrypto__example_password.docx")},
        {"LegacyDocument", bytesOf(compoundFile(false))},
        {"OpenDocumentText",
         [](const std::string& path) {
             writeZip(path, {{"mimetype", "application/vnd.oasis.opendocument.text"},
                             {"content.xml", "<office:document-content/>"}});
         }},
    };
}

class OpenErrors : public EngineTest, public ::testing::WithParamInterface<OpenErrorCase> {};

TEST_P(OpenErrors, RaiseAnErrorNamingTheFileAndWriteNothing) {
    const std::string path = dir.file("input.docx");
    GetParam().make(path);
    const auto entries = dir.entries();

    std::string description = errorFrom([&] { app.Documents().Open(path); });
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_NE(description.find(GetParam().says), std::string::npos) << description;
    EXPECT_EQ(dir.entries(), entries);
    EXPECT_EQ(app.Documents().Count(), 0);
}

INSTANTIATE_TEST_SUITE_P(Open, OpenErrors, ::testing::ValuesIn(openErrorCases()),
                         [](const auto& test) { return test.param.name; });

// A memory limit that cannot be read refuses every document, never falls back.
TEST_F(EngineTest, AnUnreadableMemoryLimitRefusesTheDocument) {
    DocxBuilder(textP("Good.")).write(dir.file("good.docx"));
    ::setenv("PELLUCOR_MEMORY_LIMIT", "0", 1);
    const std::string description = errorFrom([&] { app.Documents().Open(dir.file("good.docx")); });
    ::unsetenv("PELLUCOR_MEMORY_LIMIT");
    EXPECT_EQ(description.rfind("The document \"" + dir.file("good.docx") +
                                    "\" cannot be opened: PELLUCOR_MEMORY_LIMIT is \"0\"",
                                0),
              0u)
        << description;
}

// A part is measured before it is parsed, sixteen bytes at a time: the count
// must be that of every pair of bytes, at any length and however dense.
TEST(MarkupCount, CountsEveryPairOfBytes) {
    const std::string pieces[] = {"<", ">", "/", "=", "\"", "'", "a", " ", "<w:p/>", "=\"1\""};
    std::mt19937 random(20261208);
    std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1);
    // Random markup, and runs where every byte counts in every lane.
    for (std::string_view fill : {"", "<", ">a", "=\""})
        for (size_t length : {0u, 1u, 15u, 16u, 17u, 33u, 4095u, 4097u, 70000u}) {
            std::string xml;
            while (xml.size() < length)
                xml += fill.empty() ? pieces[pick(random)] : fill;
            uint64_t nodes = 0, attributes = 0;
            for (size_t at = 0; at + 1 < xml.size(); ++at) {
                const char c = xml[at], next = xml[at + 1];
                nodes += (c == '<' && next != '/') + (c == '>' && next != '<');
                attributes += c == '=' && (next == '"' || next == '\'');
            }
            EXPECT_EQ(word::estimatedDomSize(xml),
                      nodes * 8 * sizeof(void*) + attributes * 5 * sizeof(void*))
                << xml.size() << " bytes of " << (fill.empty() ? "markup" : fill);
        }
}

// Revision numbers are read from the parts the relationships reach, within
// the budget: a part none reaches is never read, however large or damaged.
TEST_F(EngineTest, RevisionNumbersReadOnlyReachedPartsWithinTheBudget) {
    const word::EditOptions tracked{false, word::Revisor{"Ann", "2026-12-08T09:30:00Z"}};
    const DocxBuilder good = DocxBuilder(textP("a.  b"))
                                 .part("word/unused.xml", "<x w:id=\"9\"/>")
                                 .part("word/damaged.xml", "<x w:id=\"9\"/>");
    good.write(dir.file("doc.docx"));
    writeFile(dir.file("doc.docx"),
              withDeclaredSize(
                  withDeclaredSize(readFile(dir.file("doc.docx")), "word/unused.xml", 600u << 20),
                  "word/damaged.xml", 4));
    word::Document document = app.Documents().Open(dir.file("doc.docx"), tracked);
    document.Words()(2).SetText(". ");
    document.SaveAs(dir.file("out.docx"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("out.docx")))), "a. b\r");

    // A comments part, reached, claims more than the whole budget.
    const std::string rels = good.entries()[3].second;
    DocxBuilder(good)
        .part("word/_rels/document.xml.rels",
              replacedOnce(rels, "</Relationships>",
                           "<Relationship Id=\"rId9\" Target=\"comments.xml\" Type=\"http://"
                           "schemas.openxmlformats.org/officeDocument/2006/relationships/"
                           "comments\"/></Relationships>"))
        .part("word/comments.xml", "<w:comments/>")
        .write(dir.file("big.docx"));
    writeFile(dir.file("big.docx"),
              withDeclaredSize(readFile(dir.file("big.docx")), "word/comments.xml", 100u << 20));
    EXPECT_NE(errorFrom([&] {
                  app.Documents().Open(dir.file("big.docx"), tracked).Words().Count();
              }).find("too large to work on"),
              std::string::npos);
}

// What a text is read as is told from its bytes, and what was saved opens as
// the same text: spaces taken out cannot make it binary data, and a change
// that would make its 8-bit text read as UTF-8 is not saved.
TEST_F(EngineTest, SavedTextOpensAsTheSameText) {
    // Two control bytes in 32 others: the most a text may hold.
    writeFile(dir.file("line.txt"), "\x01\x02"
                                    "Abcdefghij.  Klmnopqrst.  Uvwxyz12");
    word::Document text = app.Documents().Open(dir.file("line.txt"));
    for (int32_t k = text.Words().Count(); k >= 1; --k)
        if (text.Words()(k).Text() == ".  ")
            text.Words()(k).SetText(".");
    text.SaveAs(dir.file("line-out.txt"));
    EXPECT_EQ(joined(wordsOf(reopen(dir.file("line-out.txt")))), joined(wordsOf(text)));

    std::string flips("\xD0\xCF\x11\xE0\xA1\xB1\x1A"
                      "http://schemas.openxmlformats.org/markup-compatibility/2006\x03");
    writeFile(dir.file("flips.txt"), flips);
    word::Document eightBit = app.Documents().Open(dir.file("flips.txt"));
    eightBit.Words()(1).SetText("x y");
    EXPECT_NE(errorFrom([&] { eightBit.SaveAs(dir.file("flips-out.txt")); }).find("other text"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.file("flips-out.txt")));
}

TEST_F(EngineTest, CharacterReferencesInTextAreDecoded) {
    const std::string body = "<w:p><w:r><w:t>a&amp;b &lt;c&gt; &#65;</w:t></w:r></w:p>";
    word::Document document = open(DocxBuilder(body));
    EXPECT_EQ(joined(wordsOf(document)), "a&b <c> A\r");
}

TEST_F(EngineTest, FailedOpenLeavesTheEngineUsable) {
    writeFile(dir.file("bad.docx"), std::string("\x7F"
                                                "ELF\x02\x01\0\0",
                                                8));
    EXPECT_THROW(app.Documents().Open(dir.file("bad.docx")), Error);
    DocxBuilder(textP("Good.")).write(dir.file("good.docx"));
    app.Documents().Open(dir.file("good.docx"));
    EXPECT_EQ(app.Documents().Count(), 1);
    EXPECT_EQ(app.ActiveDocument().name(), "good.docx");
}

} // namespace
} // namespace pellucor::test
