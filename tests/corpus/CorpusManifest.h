#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace pellucor::test {

// One row of the corpus's MANIFEST.tsv, the columns these tests use.
struct CorpusFile {
    std::string name;
    std::string format; // the container found in the bytes, e.g. "ooxml-zip"
    std::string notes;
    int dotOneSpace = -1; // ". " in the main story; -1 when not counted
    int dotTwoSpaces = -1;

    std::string path() const;
    // An OOXML package whose main part is a well-formed word-processing
    // document: the engine must open it. Every other file must be refused.
    bool mustOpen() const;
    // A .doc, .rtf or .odt: opened through the external converter, and
    // checked by the legacy tests rather than here.
    bool isConverted() const;
};

// Test output names the file rather than dumping the row's bytes.
inline void PrintTo(const CorpusFile& file, std::ostream* out) {
    *out << file.name;
}

// The rows of MANIFEST.tsv in PELLUCOR_CORPUS_DIR; throws when it is missing
// or a row is malformed.
const std::vector<CorpusFile>& corpusFiles();
// The files the engine reads or refuses by itself.
std::vector<CorpusFile> corpusFilesReadNatively();
std::vector<CorpusFile> corpusFilesThatOpen();

// A name made of letters, digits and '_' for a parameterised test.
std::string testNameOf(const std::string& fileName);

} // namespace pellucor::test
