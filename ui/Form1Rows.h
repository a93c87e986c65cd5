#pragma once

// The window's list control and settings store as the file list's code
// reaches them.

#include "FileRows.h"
#include "SettingsStore.h"

class QTreeWidget;

namespace pellucor::ui {

class TreeRows : public filelist::FileRows {
public:
    explicit TreeRows(QTreeWidget& list) : m_list(list) {}

    int Count() const override;
    std::string Text(int row) const override;
    void SetText(int row, const std::string& text) override;
    void Add(const std::string& text) override;
    void Remove(int row) override;
    void Clear() override;
    int Selected() const override;
    void Select(int row) override;
    void EnsureVisible(int row) override;

private:
    QTreeWidget& m_list;
};

class StoreSettings : public filelist::Settings {
public:
    explicit StoreSettings(SettingsStore& store) : m_store(store) {}

    std::string GetSetting(const std::string& key, const std::string& defaultValue) override {
        return m_store.GetSetting(key, defaultValue);
    }
    void SaveSetting(const std::string& key, const std::string& value) override {
        m_store.SaveSetting(key, value);
    }

private:
    SettingsStore& m_store;
};

} // namespace pellucor::ui
