// Every .doc, .dot, .rtf and .odt of the shared corpus: those that are what
// their name says are opened through LibreOffice, and those that are plain
// text whatever their name natively, given one space more after ". ", saved
// in their own format and read again; the encrypted, damaged and otherwise
// mislabelled ones are refused in plain words. Each file is converted once;
// the checks share the results.
#include "base/Error.h"
#include "BatchOfOne.h"
#include "converter/WordBinary.h"
#include "LegacySupport.h"
#include "support/TempDir.h"
#include "support/TestConversions.h"
#include "word/Format.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <map>
#include <sstream>

namespace pellucor::test {
namespace {

struct LegacyFile {
    std::string name;
    std::string format; // the container the manifest found in the bytes
    bool encrypted = false;

    std::string extension() const {
        std::string ext = std::filesystem::path(name).extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        return ext;
    }
    bool mustOpen() const {
        if (encrypted)
            return false;
        if (format == "text")
            return true;
        const std::string ext = extension();
        return (format == "ole2-doc" && (ext == ".doc" || ext == ".dot")) ||
               (format == "rtf" && ext == ".rtf") || (format == "odf-zip" && ext == ".odt");
    }
    std::string path() const { return std::string(PELLUCOR_CORPUS_DIR) + "/" + name; }
};

void PrintTo(const LegacyFile& file, std::ostream* out) {
    *out << file.name;
}

std::vector<LegacyFile> legacyFiles() {
    std::ifstream manifest(std::string(PELLUCOR_CORPUS_DIR) + "/MANIFEST.tsv");
    std::vector<LegacyFile> files;
    std::string line;
    std::getline(manifest, line); // the header
    while (std::getline(manifest, line)) {
        std::vector<std::string> cells;
        std::istringstream row(line);
        for (std::string cell; std::getline(row, cell, '\t');)
            cells.push_back(cell);
        if (cells.size() < 10)
            continue;
        LegacyFile file{cells[0], cells[6], cells[9].rfind("yes", 0) == 0};
        const std::string ext = file.extension();
        if (ext == ".doc" || ext == ".dot" || ext == ".rtf" || ext == ".odt")
            files.push_back(file);
    }
    return files;
}

// What happened to one corpus file: its words before, the walk's count and
// the words and bytes of what it saved.
struct Outcome {
    std::string error;
    std::vector<std::string> before, after;
    int changed = 0;
    std::string saved;
};

Outcome walkOnce(const LegacyFile& file, const std::string& folder) {
    Outcome outcome;
    const std::string output = folder + "/" + file.name;
    try {
        outcome.before = textWords(wordsOfFile(file.path()));
        outcome.changed =
            tools::runBatchOn(file.path(), output, ".", Word1::Mode::Add, {}, &testConversions())
                .wordsRewritten();
        outcome.after = textWords(wordsOfFile(output));
        outcome.saved = readFile(output);
    } catch (const std::exception& error) {
        outcome.error = error.what();
    }
    return outcome;
}

// Whether this run includes the corpus check of the file (ctest runs one
// test per process; a plain run all of them).
bool selected(const LegacyFile& file) {
    const auto* tests = ::testing::UnitTest::GetInstance()->GetTestSuite(0);
    for (int s = 0; s < ::testing::UnitTest::GetInstance()->total_test_suite_count(); ++s) {
        tests = ::testing::UnitTest::GetInstance()->GetTestSuite(s);
        for (int t = 0; t < tests->total_test_count(); ++t) {
            const auto* info = tests->GetTestInfo(t);
            if (info->should_run() && info->value_param() && file.name == info->value_param())
                return true;
        }
    }
    return false;
}

// The outcomes of the selected files that must open, computed once by two
// workers.
const std::map<std::string, Outcome>& outcomes() {
    static TempDir folder;
    static const std::map<std::string, Outcome> results = [] {
        std::vector<LegacyFile> files;
        for (const LegacyFile& file : legacyFiles())
            if (file.mustOpen() && selected(file))
                files.push_back(file);
        std::map<std::string, Outcome> done;
        auto work = [&](size_t first) {
            std::map<std::string, Outcome> part;
            for (size_t i = first; i < files.size(); i += 2)
                part[files[i].name] = walkOnce(files[i], folder.path());
            return part;
        };
        auto other = std::async(std::launch::async, work, 1);
        done = work(0);
        done.merge(other.get());
        return done;
    }();
    return results;
}

bool sameFormat(const LegacyFile& file, const std::string& saved) {
    using word::FileFormat;
    const std::string ext = file.extension();
    if (file.format == "text")
        return word::sniffFormat(saved) == FileFormat::PlainText;
    if (ext == ".rtf")
        return word::sniffFormat(saved) == FileFormat::Rtf;
    if (ext == ".odt") {
        TempDir folder;
        writeFile(folder.file("saved.odt"), saved);
        std::vector<PackageEntry> entries = readPackage(folder.file("saved.odt"));
        return std::any_of(entries.begin(), entries.end(), [](const PackageEntry& entry) {
            return entry.name == "mimetype" && entry.data == word::kOdtMimeType;
        });
    }
    auto facts = converter::readWordBinaryFacts(saved);
    return word::sniffFormat(saved) == FileFormat::CompoundFile &&
           facts.kind == converter::WordBinaryFacts::Kind::Document &&
           facts.isTemplate == (ext == ".dot");
}

class LegacyCorpus : public ::testing::TestWithParam<LegacyFile> {};

TEST_P(LegacyCorpus, OpensAndChangesOnlyTheSpacesOrIsRefusedPlainly) {
    const LegacyFile& file = GetParam();
    if (!file.mustOpen()) {
        TempDir folder;
        try {
            tools::runBatchOn(file.path(), folder.file(file.name), ".", Word1::Mode::Add, {},
                              &testConversions());
            ADD_FAILURE() << file.name << " (" << file.format << ") opened but must be refused";
        } catch (const Error& error) {
            EXPECT_NE(error.description().find(file.name), std::string::npos)
                << error.description();
            if (file.encrypted) {
                EXPECT_NE(error.description().find("password"), std::string::npos)
                    << error.description();
            }
        }
        EXPECT_EQ(folder.entries(), std::vector<std::string>{}) << file.name;
        return;
    }
    if (!libreOfficeInstalled())
        GTEST_SKIP() << "LibreOffice (soffice) is not installed; install libreoffice-writer-nogui";
    const Outcome& outcome = outcomes().at(file.name);
    ASSERT_EQ(outcome.error, "");
    EXPECT_TRUE(sameFormat(file, outcome.saved)) << file.name << " was not saved in its own format";
    ASSERT_EQ(outcome.before.size(), outcome.after.size())
        << file.name << ": the saved document has another number of words";
    int widened = 0;
    for (size_t i = 0; i < outcome.before.size(); ++i) {
        if (outcome.before[i] == ". " && outcome.after[i] == ".  ")
            ++widened;
        else {
            EXPECT_EQ(outcome.before[i], outcome.after[i]) << file.name << ", word " << i + 1;
        }
    }
    EXPECT_EQ(widened, outcome.changed) << file.name;
}

std::string testName(const ::testing::TestParamInfo<LegacyFile>& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, LegacyCorpus, ::testing::ValuesIn(legacyFiles()), testName);

} // namespace
} // namespace pellucor::test
