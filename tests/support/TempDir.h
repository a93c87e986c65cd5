#pragma once

#include <string>
#include <vector>

namespace pellucor::test {

// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    // The names of the entries in the folder, sorted; hidden ones included.
    std::vector<std::string> entries() const;

private:
    std::string m_path;
};

std::string readFile(const std::string& path);
void writeFile(const std::string& path, const std::string& bytes);
// Copies a file; the copy is writable whatever the source's permissions.
void copyFile(const std::string& from, const std::string& to);

// The entries of a zip package in their stored order: name and inflated bytes.
struct PackageEntry {
    std::string name;
    std::string data;
};
std::vector<PackageEntry> readPackage(const std::string& path);

} // namespace pellucor::test
