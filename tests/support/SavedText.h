#pragma once

#include "TestConversions.h"
#include "word/Application.h"

#include <string>

namespace pellucor::test {

// A fresh engine instance's view of a saved file: every word joined.
inline std::string textOf(const std::string& path) {
    word::Application app = word::Application::Create(&testConversions());
    word::Document document = app.Documents().Open(path);
    std::string text;
    for (int32_t i = 1, n = document.Words().Count(); i <= n; ++i)
        text += document.Words()(i).Text();
    app.Quit();
    return text;
}

} // namespace pellucor::test
