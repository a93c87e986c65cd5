#include "SettingsStore.h"

#include "base/DesktopFolder.h"
#include "base/Error.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace pellucor::ui {
namespace {

constexpr const char* kGroup = "Pellucor";

QString keyOf(const std::string& key) {
    return QString(kGroup) + "/" + QString::fromStdString(key);
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

} // namespace

QString SettingsStore::defaultFilePath() {
    return QString::fromStdString(UserConfigFolder()) + "/Velmora.ini";
}

SettingsStore::SettingsStore() : SettingsStore(defaultFilePath()) {}

SettingsStore::SettingsStore(const QString& filePath)
    : m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {}

std::string SettingsStore::GetSetting(const std::string& key,
                                      const std::string& defaultValue) const {
    QVariant value = m_settings->value(keyOf(key));
    if (!value.isValid())
        return defaultValue;
    // A text with commas may come back as a list; join it as it was written.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(",").toStdString();
    return value.toString().toStdString();
}

void SettingsStore::SaveSetting(const std::string& key, const std::string& value) {
    m_settings->setValue(keyOf(key), QString::fromStdString(value));
}

bool SettingsStore::contains(const std::string& key) const {
    return m_settings->contains(keyOf(key));
}

void SettingsStore::sync() {
    m_settings->sync();
}

std::string truthText(bool value) {
    return value ? "True" : "False";
}

bool truthOf(const std::string& text) {
    std::string word = lowered(text);
    if (word == "true")
        return true;
    if (word == "false")
        return false;
    size_t begin = text.find_first_not_of(' ');
    size_t end = text.find_last_not_of(' ');
    if (begin != std::string::npos) {
        std::string number = text.substr(begin, end - begin + 1);
        char* stop = nullptr;
        double value = std::strtod(number.c_str(), &stop);
        if (stop && *stop == '\0')
            return value != 0;
    }
    throw Error(ErrorNumber::TypeMismatch, "Type mismatch");
}

std::pair<std::string, std::string> punctuationRecord(const std::vector<MarkRow>& rows) {
    std::string marks;
    std::string flags;
    for (const MarkRow& row : rows) {
        marks += row.mark + "|";
        flags += row.ticked ? "1|" : "0|";
    }
    if (!marks.empty()) {
        marks.pop_back();
        flags.pop_back();
    }
    return {marks, flags};
}

std::vector<std::string> splitRecord(const std::string& text) {
    std::vector<std::string> parts;
    if (text.empty())
        return parts;
    size_t from = 0;
    while (true) {
        size_t bar = text.find('|', from);
        parts.push_back(
            text.substr(from, bar == std::string::npos ? std::string::npos : bar - from));
        if (bar == std::string::npos)
            break;
        from = bar + 1;
    }
    return parts;
}

} // namespace pellucor::ui
