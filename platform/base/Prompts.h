#pragma once

#include <string>

namespace pellucor::platform {

enum class Buttons { OK, YesNo };
enum class Icon { None, Warning };
enum class Answer { OK, Yes, No };

// The error number of a file-open dialog whose chosen names do not fit its
// file-name buffer.
inline constexpr int kFileDialogBufferTooSmall = 20476;

// Modal message boxes, the text-entry box, the file-open dialog and the folder
// picker. A box given no title shows the application title. Tests answer them
// from a script; the command line prints them.
class Prompts {
public:
    virtual ~Prompts() = default;
    virtual Answer MsgBox(const std::string& text, Buttons buttons = Buttons::OK,
                          Icon icon = Icon::None, const std::string& title = {}) = 0;

    // The folder the user chose, without a final separator except for the
    // root; "" when cancelled. Where no picker exists nothing is chosen.
    virtual std::string BrowseForFolder(const std::string& prompt,
                                        const std::string& initialFolder) {
        (void)prompt;
        (void)initialFolder;
        return {};
    }

    // The text the user entered, with the application title and defaultText
    // proposed; "" when cancelled. Where no box exists nothing is entered.
    virtual std::string InputBox(const std::string& prompt, const std::string& defaultText) {
        (void)prompt;
        (void)defaultText;
        return {};
    }

    // A file-open dialog with several files allowed; filter pairs a
    // description and a pattern, all joined by "|". The answer is what the
    // dialog's file-name buffer holds: "" when cancelled, the full path for
    // one file, otherwise the folder and then each chosen name, separated by
    // NUL characters (the folder ends in a separator only when it is the
    // root). Raises Error kFileDialogBufferTooSmall when the choice does
    // not fit the buffer. Where no dialog exists nothing is chosen.
    virtual std::string ShowOpen(const std::string& title, const std::string& filter) {
        (void)title;
        (void)filter;
        return {};
    }
};

} // namespace pellucor::platform
