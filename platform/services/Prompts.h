#pragma once

#include <string>

namespace pellucor::platform {

enum class Buttons { OK, YesNo };
enum class Icon { None, Warning };
enum class Answer { OK, Yes, No };

// Modal message boxes and the folder picker. A box given no title shows the
// application title. Tests answer them from a script; the command line prints
// them.
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
};

} // namespace pellucor::platform
