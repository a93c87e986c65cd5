#pragma once

#include <memory>
#include <QSettings>
#include <string>
#include <vector>

namespace pellucor::ui {

// The per-user settings: an INI file, $XDG_CONFIG_HOME/Velmora.ini, group
// "Pellucor". Every value is a text; an absent key gives the caller's default,
// a key stored empty gives the empty text.
class SettingsStore {
public:
    SettingsStore(); // the user's file
    explicit SettingsStore(const QString& filePath);

    std::string GetSetting(const std::string& key, const std::string& defaultValue) const;
    void SaveSetting(const std::string& key, const std::string& value);
    bool contains(const std::string& key) const;
    // Writes everything to disk now.
    void sync();

    static QString defaultFilePath();

private:
    std::unique_ptr<QSettings> m_settings;
};

// Truth values are stored as "True" and "False" and read back like the
// platform's conversion: "True"/"False" in any case, or a number (0 false).
std::string truthText(bool value);
bool truthOf(const std::string& text); // raises Error 13 (type mismatch)

// The punctuation list as stored: marks joined by "|", flags "1"/"0" joined
// by "|".
struct MarkRow {
    std::string mark;
    bool ticked = false;
};
std::pair<std::string, std::string> punctuationRecord(const std::vector<MarkRow>& rows);
std::vector<std::string> splitRecord(const std::string& text); // "" gives no parts

} // namespace pellucor::ui
