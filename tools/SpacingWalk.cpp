#include "SpacingWalk.h"

#include "word/Application.h"

namespace pellucor::tools {
namespace {

std::string trimmedSpaces(const std::string& text) {
    size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        return {};
    size_t end = text.find_last_not_of(' ');
    return text.substr(begin, end - begin + 1);
}

} // namespace

WalkResult walkDocument(const std::string& input, const std::string& output,
                        const std::string& mark, int mode) {
    auto app = word::Application::Create();
    try {
        word::Document document = app.Documents().Open(input);
        word::WordCollection words = document.Words();
        WalkResult result;
        result.words = words.Count();
        const std::string from = mark + (mode == 1 ? " " : "  ");
        const std::string to = mode == 1 ? "  " : " ";
        for (int i = 2; i <= result.words; ++i) {
            std::string text = words(i).Text();
            if ((mode != 1 && mode != 2) || text != from)
                continue;
            std::string before = words(i - 1).Text();
            if (!before.empty() && before[0] >= 'A' && before[0] <= 'Z')
                continue;
            words(i).SetText(trimmedSpaces(text) + to);
            ++result.changed;
        }
        document.SaveAs(output);
        app.Quit();
        return result;
    } catch (...) {
        app.Quit();
        throw;
    }
}

} // namespace pellucor::tools
