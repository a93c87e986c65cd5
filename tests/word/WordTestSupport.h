#pragma once

#include "base/Error.h"
#include "support/DocxBuilder.h"
#include "support/StoryFixture.h"
#include "support/TempDir.h"
#include "word/Application.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pellucor::test {

// An engine instance and a scratch folder; fixture documents are written
// into the folder and opened from there.
class EngineTest : public ::testing::Test {
protected:
    void TearDown() override {
        try {
            app.Quit();
        } catch (const Error&) {
            // the test quit it already
        }
    }

    // Writes the fixture as `name` in the scratch folder and opens it.
    word::Document open(const DocxBuilder& fixture, const std::string& name = "doc.docx") {
        fixture.write(dir.file(name));
        return app.Documents().Open(dir.file(name));
    }
    word::Document reopen(const std::string& path) { return app.Documents().Open(path); }

    TempDir dir;
    word::Application app = word::Application::Create();
};

// Every word of the document, in order.
inline std::vector<std::string> wordsOf(const word::Document& document) {
    std::vector<std::string> words;
    word::WordCollection collection = document.Words();
    for (int32_t i = 1, count = collection.Count(); i <= count; ++i)
        words.push_back(collection(i).Text());
    return words;
}

inline std::string joined(const std::vector<std::string>& words) {
    std::string all;
    for (const auto& word : words)
        all += word;
    return all;
}

// The inflated bytes of one entry of a package; empty when it is missing.
inline std::string entryOf(const std::string& packagePath, const std::string& name) {
    for (const auto& entry : readPackage(packagePath))
        if (entry.name == name)
            return entry.data;
    return {};
}

// Replaces the one occurrence of `from` in text; fails the test when there is
// not exactly one.
inline std::string replacedOnce(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << "\"" << from << "\" is not in the text";
    if (at == std::string::npos)
        return text;
    EXPECT_EQ(text.find(from, at + 1), std::string::npos) << "\"" << from << "\" occurs twice";
    return text.replace(at, from.size(), to);
}

// Runs `action` and returns the description of the Error it raises; fails the
// test when it raises nothing.
template <typename Action> std::string errorFrom(Action&& action) {
    try {
        action();
    } catch (const Error& error) {
        return error.description();
    }
    ADD_FAILURE() << "no Error was raised";
    return {};
}

} // namespace pellucor::test
