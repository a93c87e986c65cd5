#include "BatchRun.h"

#include "base/AtomicFile.h"
#include "base/Waiting.h"
#include "Messages.h"
#include "word/BatchDocument.h"
#include "Word1.h"

namespace pellucor {
namespace {

// What a run reaches outside itself, and its trap.
struct Run {
    const BatchRequest& request;
    BatchObserver& observer;
    platform::Prompts& prompts;
    platform::WordAutomation& automation;
    ErrorTrap trap;
};

// One pass; an error that escapes its steps fails it, and the run goes on.
MarkOutcome pass(Run& run, size_t k, word::BatchDocument& document, const std::string& mark) {
    const BatchRequest& request = run.request;
    Word1::PassContext context{run.prompts, run.automation, run.observer, nullptr,
                               nullptr,     request.edit,   &document};
    if (request.inPlace)
        context.inPlace = [&request, k] { return request.inPlace(k); };
    if (request.outputFolder)
        context.outputFolder = [&request, k] { return request.outputFolder(k); };
    try {
        std::string path = document.current();
        return Word1::DoIt(path, mark, request.mode, context);
    } catch (const std::exception& error) {
        MarkOutcome failed;
        failed.mark = mark;
        failed.failures.push_back(escapedFailure(error));
        return failed;
    }
}

// A pass left out because the run was asked to stop after an earlier pass of
// the document failed: the document is put back as it was.
MarkOutcome notRunForTheStop(const std::string& mark) {
    MarkOutcome outcome;
    outcome.mark = mark;
    outcome.failures.push_back(
        {"process", 0, 0, "the run was stopped before the pass for \"" + mark + "\""});
    return outcome;
}

bool anyFailed(const DocumentOutcome& outcome) {
    return outcome.result() == MarkOutcome::Result::Failed;
}

// Every mark of the document in hand runs, also once a stop was asked for,
// so that the document is left whole; only a failure then ends its marks.
void runMarks(Run& run, size_t k, word::BatchDocument& document, DocumentOutcome& outcome) {
    std::vector<std::string> marks = run.request.marks;
    if (run.request.marksNow &&
        !run.trap(RunSteps::readMarks, [&] { marks = run.request.marksNow(); }))
        marks.clear();
    for (const std::string& mark : marks) {
        if (stopRequested() && anyFailed(outcome))
            outcome.marks.push_back(notRunForTheStop(mark));
        else
            outcome.marks.push_back(pass(run, k, document, mark));
        run.trap(RunSteps::readMarks, [&] { run.observer.markDone(k, outcome.marks.back()); });
    }
}

// The errors of a document's own steps go to its last pass.
void addToLastPass(DocumentOutcome& outcome, const ErrorTrap& trap) {
    if (outcome.marks.empty())
        outcome.marks.emplace_back();
    addFailures(outcome.marks.back().failures, trap);
}

// Nothing of what the passes reported saved stays when the document's end
// failed or put it back: no file holds its result.
void forgetSaves(DocumentOutcome& outcome) {
    for (MarkOutcome& mark : outcome.marks)
        mark.savedTo.clear();
}

// A document that goes through LibreOffice is written once, when its marks
// end; when that fails the document failed and nothing of it was saved. The
// failure is reported as the save's. A document that failed while a stop was
// asked for is put back to what it was, so that the run ends with every
// document whole.
void finishDocument(platform::Prompts& prompts, word::BatchDocument& document,
                    DocumentOutcome& outcome) {
    ErrorTrap trap(prompts, "Word1", "DoIt");
    if (!trap(Word1::DoItSteps::save, [&] { document.finish(); }))
        addToLastPass(outcome, trap);
    if (stopRequested() && anyFailed(outcome)) {
        ErrorTrap restoring(prompts, "Word1", "DoIt");
        if (!restoring(Word1::DoItSteps::save, [&] { document.restore(); }))
            addToLastPass(outcome, restoring);
    }
    outcome.output = document.output();
    if (outcome.output.empty())
        forgetSaves(outcome);
}

// The marks of one document, in order, while it is locked against other
// runs.
void processFile(Run& run, size_t k, const std::string& path, DocumentOutcome& outcome) {
    word::BatchDocument document(path);
    ErrorTrap trap(run.prompts, "Word1", "DoIt");
    const bool begun = trap(Word1::DoItSteps::open, [&] {
        const bool inPlace = !run.request.inPlace || run.request.inPlace(k);
        document.lock(inPlace ? fileBehindLink(path) : path);
        if (run.request.beforeChanging)
            run.request.beforeChanging(k);
    });
    if (!begun)
        return addToLastPass(outcome, trap);
    runMarks(run, k, document, outcome);
    finishDocument(run.prompts, document, outcome);
}

} // namespace

BatchOutcome RunBatch(const BatchRequest& request, BatchObserver& observer,
                      platform::Prompts& prompts, platform::WordAutomation& automation) {
    Run run{request, observer, prompts, automation,
            ErrorTrap(prompts, request.trapModule, request.trapProcedure)};
    ErrorTrap& trap = run.trap;
    BatchOutcome outcome;
    const size_t documents = request.documents.size();
    trap(RunSteps::readFiles, [&] { observer.runStarted(documents); });
    // The caller stays live while LibreOffice works for the engine.
    WhileWaiting events([&] { trap(RunSteps::letEventsIn, [&] { observer.letEventsIn(); }); });
    for (size_t k = 0; k < documents && !stopRequested(); ++k) {
        DocumentOutcome& document = outcome.documents.emplace_back();
        document.row = static_cast<int>(k + 1);
        const std::string& path = request.documents[k];
        trap(RunSteps::hourglassAtStart, [&] { observer.busy(); });
        document.path = path;
        trap(RunSteps::showShare, [&] { observer.documentShare(k); });
        trap(RunSteps::showFileName, [&] { observer.documentStarted(k, path); });
        trap(RunSteps::letEventsIn, [&] { observer.letEventsIn(); });
        trap(RunSteps::hourglassBeforeMarks, [&] { observer.busy(); });
        processFile(run, k, path, document);
        trap(RunSteps::hourglassAfterMarks, [&] { observer.busy(); });
    }
    for (size_t k = outcome.documents.size(); k < documents; ++k) {
        DocumentOutcome& document = outcome.documents.emplace_back();
        document.row = static_cast<int>(k + 1);
        document.path = request.documents[k];
        document.begun = false;
    }
    trap(RunSteps::defaultPointer, [&] { observer.idle(); });
    trap(RunSteps::progressAtRest, [&] { observer.runEnded(outcome); });
    trap(RunSteps::doneBox, [&] { observer.showBox(messages::kDone); });
    addFailures(outcome.runFailures, trap);
    return outcome;
}

} // namespace pellucor
