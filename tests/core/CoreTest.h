#pragma once

// Document processing over scripted window and prompts and the real engine:
// fixture documents in a scratch folder, results re-opened to read them.

#include "base/Error.h"
#include "base/ErrorTrap.h"
#include "support/DocxBuilder.h"
#include "support/SavedText.h"
#include "support/ScriptedServices.h"
#include "support/TempDir.h"
#include "word/Application.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace pellucor::test {

inline constexpr const char* kDoItLocation = "Kintara2021/08/31.Word1.DoIt";

// The error report box's text, spelled out.
inline std::string reportText(const std::string& description, const std::string& location,
                              int line) {
    return description + "\r\nin " + location + " at line " + std::to_string(line) +
           "\r\rPlease email screenshot of this message to " + kSupportAddress;
}

// The line an error report box names; -1 when it names none.
inline int reportedLine(const ShownBox& box) {
    auto at = box.text.find(" at line ");
    return at == std::string::npos ? -1 : std::stoi(box.text.substr(at + 9));
}

inline std::vector<int> reportedLines(const ScriptedPrompts& prompts) {
    std::vector<int> lines;
    for (const auto& box : prompts.errorReports())
        lines.push_back(reportedLine(box));
    return lines;
}

// Whether two paths name the same place, however their separators are doubled.
inline bool samePlace(const std::string& a, const std::string& b) {
    return std::filesystem::path(a).lexically_normal() ==
           std::filesystem::path(b).lexically_normal();
}

inline int32_t wordCountOf(const std::string& path) {
    word::Application app = word::Application::Create();
    int32_t count = app.Documents().Open(path).Words().Count();
    app.Quit();
    return count;
}

// What the engine says when it is asked to do something with a document.
template <typename Action> std::string engineErrorOf(Action&& action) {
    word::Application app = word::Application::Create();
    std::string description;
    try {
        action(app);
        ADD_FAILURE() << "the engine raised no error";
    } catch (const Error& error) {
        description = error.description();
    }
    app.Quit();
    return description;
}

class CoreTest : public ::testing::Test {
protected:
    CoreTest() {
        std::filesystem::create_directories(in());
        std::filesystem::create_directories(out());
    }

    std::string in() const { return dir.file("in"); }
    std::string out() const { return dir.file("out"); }

    // Writes a fixture into the input folder and returns its path.
    std::string source(const std::string& name, const DocxBuilder& fixture) {
        std::string path = in() + "/" + name;
        fixture.write(path);
        return path;
    }
    std::string source(const std::string& name, const std::string& paragraphText) {
        return source(name, DocxBuilder(textP(paragraphText)));
    }

    void saveToFolder(const std::string& folder) {
        window.option3 = true;
        window.option4 = false;
        window.text2 = folder;
    }
    void saveOverOriginal() {
        window.option3 = false;
        window.option4 = true;
    }

    std::vector<std::string> outEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(out()))
            names.push_back(entry.path().filename().string());
        return names;
    }

    TempDir dir;
    ScriptedServices scripted;
    ScriptedWindow& window = scripted.window;
    ScriptedPrompts& prompts = scripted.prompts;
    ScriptedAutomation& automation = scripted.automation;
    ScriptedProgram& program = scripted.program;
    ui::WindowServices& services = scripted.services;
};

} // namespace pellucor::test
