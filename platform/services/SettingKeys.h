#pragma once

#include "base/DesktopFolder.h"

#include <string>

// Every per-user setting: its key in the settings file and the value taken
// while the key is absent. The file outlives program versions, so a key's
// spelling never changes.
namespace pellucor::keys {

struct Text {
    const char* name;
    const char* defaultValue;
};

// Stored as "True"/"False"; the default is handed on as the number 1 or 0.
struct Truth {
    const char* name;
    bool defaultValue;
};

// A text whose default depends on the user's session.
struct FoundText {
    const char* name;
    std::string (*defaultValue)();
};

// The marks of the punctuation list joined by "|", and whether each is ticked.
inline constexpr Text kPunctuations{"Punctuations", ".|?|!|:"};
inline constexpr Text kPunctuationsTicked{"Punctuations Value", "1|1|1|0"};

inline constexpr FoundText kOutputFolder{"Text2", &DesktopFolderPath};
inline constexpr Truth kSaveToOutputFolder{"Option3", true};
inline constexpr Truth kSaveBesideOriginal{"Option4", false};
// Where the output folder's browse dialog opens.
inline constexpr Text kLastOutputFolder{"LastFolderDot", ""};

// What "add every document of a folder" last asked for.
inline constexpr Text kAddedExtension{"Extension", "doc"};
inline constexpr Text kAddedFolder{"LastFolder", ""};

} // namespace pellucor::keys
