#include "SpacingWalk.h"

#include "word/Application.h"
#include "Word1.h"

namespace pellucor::tools {

WalkResult walkDocument(const std::string& input, const std::string& output,
                        const std::string& mark, int mode, const word::EditOptions& options,
                        converter::ConverterService* conversions) {
    auto app = word::Application::Create(conversions);
    try {
        word::Document document = app.Documents().Open(input, options);
        word::StoryCollection stories = document.Stories();
        WalkResult result;
        for (int32_t story = 1, count = stories.Count(); story <= count; ++story) {
            word::WordCollection words = stories(story).Words();
            const int32_t wordCount = words.Count();
            result.words += wordCount;
            for (int i = 2; i <= wordCount; ++i)
                if (Word1::ChangeSpacing(words, i, mark, static_cast<int16_t>(mode)))
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
