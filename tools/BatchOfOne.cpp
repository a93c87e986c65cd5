#include "BatchOfOne.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/Prompts.h"
#include "base/ShownName.h"
#include "base/TempFolder.h"
#include "BatchRun.h"
#include "EngineAutomation.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace pellucor::tools {
namespace {

namespace fs = std::filesystem;

// Boxes nobody sees: what went wrong is read from the outcome.
class UnseenPrompts : public platform::Prompts {
public:
    platform::Answer MsgBox(const std::string&, platform::Buttons buttons, platform::Icon,
                            const std::string&) override {
        return buttons == platform::Buttons::YesNo ? platform::Answer::No : platform::Answer::OK;
    }
};

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code failed;
    return a == b || fs::equivalent(a, b, failed);
}

// What stopped the document: its first failure as the run reported it, which
// names the document itself.
Error failureOf(const std::string& input, const DocumentOutcome& document) {
    for (const MarkOutcome& mark : document.marks)
        for (const Failure& failure : mark.failures)
            return Error(static_cast<ErrorNumber>(failure.number), failure.description);
    return Error(ErrorNumber::CommandFailed, shownName(input) + ": the run saved nothing");
}

DocumentOutcome runOne(BatchRequest& request, const std::string& input,
                       converter::ConverterService* conversions) {
    BatchObserver observer;
    UnseenPrompts prompts;
    platform::EngineAutomation automation(conversions);
    BatchOutcome batch = RunBatch(request, observer, prompts, automation);
    if (!batch.runFailures.empty())
        throw Error(static_cast<ErrorNumber>(batch.runFailures.front().number),
                    batch.runFailures.front().description);
    DocumentOutcome document = std::move(batch.documents.at(0));
    const MarkOutcome::Result result = document.result();
    if (result == MarkOutcome::Result::Protected)
        return document;
    if (result == MarkOutcome::Result::Failed || document.marks.empty() ||
        document.marks.back().savedTo.empty())
        throw failureOf(input, document);
    return document;
}

// A folder of our own beside output, removed with what is left in it.
class FolderBeside {
public:
    explicit FolderBeside(const std::string& output)
        : m_path(makePrivateFolderIn(ContainingFolder(output), ".pellucor-", "result")) {
        if (m_path.empty()) {
            const std::string why = std::strerror(errno);
            throw Error(ErrorNumber::PathNotFound,
                        shownName(output) +
                            ": no folder for the result could be made beside it: " + why);
        }
    }
    ~FolderBeside() { removePrivateTempFolder(m_path); }
    FolderBeside(const FolderBeside&) = delete;
    FolderBeside& operator=(const FolderBeside&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

} // namespace

DocumentOutcome runBatchOn(const std::string& input, const std::string& output,
                           const std::string& mark, Word1::Mode mode, const word::EditOptions& edit,
                           converter::ConverterService* conversions) {
    BatchRequest request;
    request.documents = {input};
    request.marks = {mark};
    request.mode = mode;
    request.edit = edit;
    if (sameFile(input, output)) {
        request.inPlace = [](size_t) { return true; };
        return runOne(request, input, conversions);
    }
    request.inPlace = [](size_t) { return false; };
    // Under its own name the result goes into output's folder, as the command
    // line's --out puts it; under another name into a folder of our own
    // beside output first, so that it never lands on a file of that folder.
    if (FileNameOf(input) == FileNameOf(output)) {
        const std::string folder = ContainingFolder(output);
        request.outputFolder = [folder](size_t) { return folder; };
        return runOne(request, input, conversions);
    }
    FolderBeside folder(output);
    request.outputFolder = [&folder](size_t) { return folder.path(); };
    DocumentOutcome document = runOne(request, input, conversions);
    if (document.result() == MarkOutcome::Result::Protected)
        return document;
    std::error_code failed;
    fs::rename(document.marks.back().savedTo, output, failed);
    if (failed)
        throw Error(ErrorNumber::PathNotFound,
                    shownName(output) + ": the result could not be put there: " + failed.message());
    return document;
}

} // namespace pellucor::tools
