#include "BatchOfOne.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/Prompts.h"
#include "base/ShownName.h"
#include "base/TempFolder.h"
#include "BatchRun.h"
#include "EngineAutomation.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace pellucor::tools {
namespace {

// Boxes nobody sees: what went wrong is read from the outcome.
class UnseenPrompts : public platform::Prompts {
public:
    platform::Answer MsgBox(const std::string&, platform::Buttons buttons, platform::Icon,
                            const std::string&) override {
        return buttons == platform::Buttons::YesNo ? platform::Answer::No : platform::Answer::OK;
    }
};

// A folder of our own beside output, so that the result can be renamed into
// place and never lands on a file of the same name there.
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

// What stopped the document: its first failure as the run reported it, which
// names the document itself.
Error failureOf(const std::string& input, const DocumentOutcome& document) {
    for (const MarkOutcome& mark : document.marks)
        for (const Failure& failure : mark.failures)
            return Error(static_cast<ErrorNumber>(failure.number), failure.description);
    return Error(ErrorNumber::CommandFailed, shownName(input) + ": the run saved nothing");
}

} // namespace

DocumentOutcome runBatchOn(const std::string& input, const std::string& output,
                           const std::string& mark, Word1::Mode mode,
                           const word::EditOptions& edit) {
    FolderBeside folder(output);
    BatchRequest request;
    request.documents = {input};
    request.marks = {mark};
    request.mode = mode;
    request.inPlace = [](size_t) { return false; };
    request.outputFolder = [&folder](size_t) { return folder.path(); };
    request.edit = edit;
    BatchObserver observer;
    UnseenPrompts prompts;
    platform::EngineAutomation automation;
    BatchOutcome batch = RunBatch(request, observer, prompts, automation);
    if (!batch.runFailures.empty())
        throw Error(static_cast<ErrorNumber>(batch.runFailures.front().number),
                    batch.runFailures.front().description);
    DocumentOutcome document = std::move(batch.documents.at(0));
    const MarkOutcome::Result result = document.result();
    if (result == MarkOutcome::Result::Protected)
        return document;
    const std::string saved = document.marks.empty() ? "" : document.marks.back().savedTo;
    if (saved.empty() || result == MarkOutcome::Result::Failed)
        throw failureOf(input, document);
    if (std::rename(saved.c_str(), output.c_str()) != 0) {
        const std::string why = std::strerror(errno);
        throw Error(ErrorNumber::PathNotFound,
                    shownName(output) + ": the result could not be put there: " + why);
    }
    return document;
}

} // namespace pellucor::tools
