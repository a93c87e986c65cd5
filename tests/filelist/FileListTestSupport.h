#pragma once

// The file list as plain rows, and settings in memory, for the file list's
// code without a window.

#include "FileRows.h"

#include <map>
#include <string>
#include <vector>

namespace pellucor::test {

class VectorRows : public filelist::FileRows {
public:
    VectorRows() = default;
    explicit VectorRows(std::vector<std::string> texts) : rows(std::move(texts)) {}

    int Count() const override { return static_cast<int>(rows.size()); }
    std::string Text(int row) const override { return rows.at(row - 1); }
    void SetText(int row, const std::string& text) override { rows.at(row - 1) = text; }
    void Add(const std::string& text) override { rows.push_back(text); }
    void Remove(int row) override {
        rows.erase(rows.begin() + (row - 1));
        selected = 0;
    }
    void Clear() override {
        rows.clear();
        selected = 0;
    }
    int Selected() const override { return selected; }
    void Select(int row) override { selected = row; }
    void EnsureVisible(int row) override { madeVisible.push_back(row); }

    std::vector<std::string> rows;
    int selected = 0;
    std::vector<int> madeVisible;
};

class MemorySettings : public filelist::Settings {
public:
    std::string GetSetting(const std::string& key, const std::string& defaultValue) override {
        auto found = values.find(key);
        return found == values.end() ? defaultValue : found->second;
    }
    void SaveSetting(const std::string& key, const std::string& value) override {
        values[key] = value;
    }

    std::map<std::string, std::string> values;
};

} // namespace pellucor::test
