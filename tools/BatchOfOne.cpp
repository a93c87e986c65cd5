#include "BatchOfOne.h"

#include "base/Error.h"
#include "base/PathHelpers.h"
#include "base/Prompts.h"
#include "base/ShownName.h"
#include "BatchRun.h"
#include "EngineAutomation.h"

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

DocumentOutcome runOne(BatchRequest& request, const std::string& input) {
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
    if (result == MarkOutcome::Result::Failed || document.marks.empty() ||
        document.marks.back().savedTo.empty())
        throw failureOf(input, document);
    return document;
}

} // namespace

DocumentOutcome runBatchOn(const std::string& input, const std::string& output,
                           const std::string& mark, Word1::Mode mode,
                           const word::EditOptions& edit) {
    BatchRequest request;
    request.marks = {mark};
    request.mode = mode;
    request.edit = edit;
    const std::string outputFolder = ContainingFolder(output);
    // Under its own name in another folder, the result goes there as the
    // command line's --out puts it; otherwise the run works in place, on a
    // copy at output unless output is the input itself.
    if (FileNameOf(input) == FileNameOf(output) && !sameFile(input, output)) {
        request.documents = {input};
        request.inPlace = [](size_t) { return false; };
        request.outputFolder = [outputFolder](size_t) { return outputFolder; };
        return runOne(request, input);
    }
    const bool copied = !sameFile(input, output);
    if (copied) {
        fs::copy_file(input, output, fs::copy_options::overwrite_existing);
        fs::permissions(output, fs::perms::owner_write, fs::perm_options::add);
    }
    request.documents = {output};
    request.inPlace = [](size_t) { return true; };
    try {
        DocumentOutcome document = runOne(request, input);
        if (document.result() == MarkOutcome::Result::Protected && copied)
            fs::remove(output);
        return document;
    } catch (...) {
        std::error_code ignored;
        if (copied)
            fs::remove(output, ignored);
        throw;
    }
}

} // namespace pellucor::tools
