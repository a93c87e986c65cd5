#include "CorpusManifest.h"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace pellucor::test {
namespace {

std::vector<std::string> splitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    if (!line.empty() && line.back() == '\t')
        fields.emplace_back();
    return fields;
}

size_t columnOf(const std::vector<std::string>& header, const std::string& name) {
    for (size_t i = 0; i < header.size(); ++i)
        if (header[i] == name)
            return i;
    throw std::runtime_error("MANIFEST.tsv has no column " + name);
}

int countOrMinusOne(const std::string& field) {
    return field == "-" ? -1 : std::stoi(field);
}

std::vector<CorpusFile> loadManifest() {
    const std::string path = std::string(PELLUCOR_CORPUS_DIR) + "/MANIFEST.tsv";
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error("cannot read the corpus manifest " + path);
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> header = splitTabs(line);
    const size_t file = columnOf(header, "file"), format = columnOf(header, "format"),
                 notes = columnOf(header, "notes"), one = columnOf(header, "main_dot_sp1"),
                 two = columnOf(header, "main_dot_sp2");
    std::vector<CorpusFile> files;
    while (std::getline(in, line)) {
        std::vector<std::string> fields = splitTabs(line);
        if (fields.size() != header.size())
            throw std::runtime_error(path + ": a row has " + std::to_string(fields.size()) +
                                     " fields instead of " + std::to_string(header.size()) + ": " +
                                     line.substr(0, 80));
        files.push_back({fields[file], fields[format], fields[notes], countOrMinusOne(fields[one]),
                         countOrMinusOne(fields[two])});
    }
    return files;
}

} // namespace

std::string CorpusFile::path() const {
    return std::string(PELLUCOR_CORPUS_DIR) + "/" + name;
}

bool CorpusFile::mustOpen() const {
    return format == "ooxml-zip" && notes.find("main part not well-formed") == std::string::npos &&
           notes.find("main part content type") == std::string::npos;
}

bool CorpusFile::isConverted() const {
    return format == "ole2-doc" || format == "rtf" || format == "odf-zip";
}

std::vector<CorpusFile> corpusFilesReadNatively() {
    std::vector<CorpusFile> files;
    for (const CorpusFile& file : corpusFiles())
        if (!file.isConverted())
            files.push_back(file);
    return files;
}

const std::vector<CorpusFile>& corpusFiles() {
    static const std::vector<CorpusFile> files = loadManifest();
    return files;
}

std::vector<CorpusFile> corpusFilesThatOpen() {
    std::vector<CorpusFile> files;
    for (const CorpusFile& file : corpusFiles())
        if (file.mustOpen())
            files.push_back(file);
    return files;
}

std::string testNameOf(const std::string& fileName) {
    std::string name;
    for (char c : fileName)
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

} // namespace pellucor::test
