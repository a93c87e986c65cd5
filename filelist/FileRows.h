#pragma once

#include <string>

namespace pellucor::filelist {

// The file list as the program reaches it: rows 1 to Count(), each holding
// the full path of one document, in processing order. The window implements
// it over its list control; tests over a plain vector.
class FileRows {
public:
    virtual ~FileRows() = default;
    virtual int Count() const = 0;
    virtual std::string Text(int row) const = 0;
    virtual void SetText(int row, const std::string& text) = 0;
    // Appends a row at the end.
    virtual void Add(const std::string& text) = 0;
    virtual void Remove(int row) = 0;
    virtual void Clear() = 0;
    // The selected row; 0 when none is.
    virtual int Selected() const = 0;
    virtual void Select(int row) = 0;
    // Scrolls the list so that the row can be seen.
    virtual void EnsureVisible(int row) = 0;
};

// The settings the ways of filling the list read and write.
class Settings {
public:
    virtual ~Settings() = default;
    // The stored text, or defaultValue when the key is absent.
    virtual std::string GetSetting(const std::string& key, const std::string& defaultValue) = 0;
    virtual void SaveSetting(const std::string& key, const std::string& value) = 0;
};

} // namespace pellucor::filelist

namespace pellucor::Main {

// Whether a row holds exactly this text: case-sensitive, no trimming, no
// normalising. False for an empty list.
bool ListContains(const filelist::FileRows& list, const std::string& text);

} // namespace pellucor::Main
