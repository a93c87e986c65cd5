#include "TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <zip.h>

namespace pellucor::test {

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pellucor-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

std::vector<std::string> TempDir::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

void copyFile(const std::string& from, const std::string& to) {
    writeFile(to, readFile(from));
}

std::vector<PackageEntry> readPackage(const std::string& path) {
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    if (!archive)
        throw std::runtime_error("cannot open the package " + path);
    std::vector<PackageEntry> entries;
    zip_int64_t count = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_index(archive, i, 0, &st);
        PackageEntry entry{zip_get_name(archive, i, ZIP_FL_ENC_RAW), std::string(st.size, '\0')};
        zip_file_t* file = zip_fopen_index(archive, i, 0);
        if (!file ||
            zip_fread(file, entry.data.data(), st.size) != static_cast<zip_int64_t>(st.size)) {
            if (file)
                zip_fclose(file);
            zip_close(archive);
            throw std::runtime_error("cannot read " + entry.name + " in " + path);
        }
        zip_fclose(file);
        entries.push_back(std::move(entry));
    }
    zip_close(archive);
    return entries;
}

} // namespace pellucor::test
