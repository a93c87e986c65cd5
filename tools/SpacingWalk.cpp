#include "SpacingWalk.h"

#include "word/Application.h"
#include "Word1.h"

namespace pellucor::tools {

WalkResult walkDocument(const std::string& input, const std::string& output,
                        const std::string& mark, int mode, const word::EditOptions& options) {
    auto app = word::Application::Create();
    try {
        word::Document document = app.Documents().Open(input, options);
        word::WordCollection words = document.Words();
        WalkResult result;
        result.words = words.Count();
        for (int i = 2; i <= result.words; ++i)
            if (Word1::ChangeSpacing(words, i, mark, static_cast<int16_t>(mode)))
                ++result.changed;
        document.SaveAs(output);
        app.Quit();
        return result;
    } catch (...) {
        app.Quit();
        throw;
    }
}

} // namespace pellucor::tools
