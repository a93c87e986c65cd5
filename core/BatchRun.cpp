#include "BatchRun.h"

#include "base/Waiting.h"
#include "Messages.h"
#include "word/Application.h"
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
MarkOutcome pass(Run& run, size_t k, std::string& path, const std::string& mark) {
    const BatchRequest& request = run.request;
    Word1::PassContext context{run.prompts, run.automation, run.observer,
                               nullptr,     nullptr,        request.edit};
    if (request.inPlace)
        context.inPlace = [&request, k] { return request.inPlace(k); };
    if (request.outputFolder)
        context.outputFolder = [&request, k] { return request.outputFolder(k); };
    try {
        return Word1::DoIt(path, mark, request.mode, context);
    } catch (const std::exception& error) {
        MarkOutcome failed;
        failed.mark = mark;
        failed.failures.push_back(escapedFailure(error));
        return failed;
    }
}

// A pass the run was asked to stop before: the document keeps the passes done.
MarkOutcome notRunForTheStop(const std::string& mark) {
    MarkOutcome outcome;
    outcome.mark = mark;
    outcome.failures.push_back(
        {"process", 0, 0, "the run was stopped before the pass for \"" + mark + "\""});
    return outcome;
}

void runMarks(Run& run, size_t k, std::string& path, DocumentOutcome& outcome) {
    std::vector<std::string> marks = run.request.marks;
    if (run.request.marksNow &&
        !run.trap(RunSteps::readMarks, [&] { marks = run.request.marksNow(); }))
        marks.clear();
    for (const std::string& mark : marks) {
        if (stopRequested())
            outcome.marks.push_back(notRunForTheStop(mark));
        else
            outcome.marks.push_back(pass(run, k, path, mark));
        run.trap(RunSteps::readMarks, [&] { run.observer.markDone(k, outcome.marks.back()); });
    }
}

// A document that goes through LibreOffice is written once, when its marks
// end; when that fails the document failed and nothing of it was saved. The
// failure is reported as the save's.
void finishDocument(platform::Prompts& prompts, DocumentOutcome& outcome) {
    ErrorTrap trap(prompts, "Word1", "DoIt");
    if (trap(Word1::DoItSteps::save, [] { word::Application::FinishDocument(); }))
        return;
    for (MarkOutcome& mark : outcome.marks)
        mark.savedTo.clear();
    if (outcome.marks.empty())
        outcome.marks.emplace_back();
    addFailures(outcome.marks.back().failures, trap);
}

// The marks of one document, in order.
void processFile(Run& run, size_t k, std::string& path, DocumentOutcome& outcome) {
    word::Application::BeginDocument();
    try {
        runMarks(run, k, path, outcome);
    } catch (...) {
        word::Application::DiscardDocument();
        throw;
    }
    finishDocument(run.prompts, outcome);
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
        std::string path = request.documents[k];
        trap(RunSteps::hourglassAtStart, [&] { observer.busy(); });
        document.path = path;
        trap(RunSteps::showShare, [&] { observer.documentShare(k); });
        trap(RunSteps::showFileName, [&] { observer.documentStarted(k, path); });
        trap(RunSteps::letEventsIn, [&] { observer.letEventsIn(); });
        trap(RunSteps::hourglassBeforeMarks, [&] { observer.busy(); });
        processFile(run, k, path, document);
        trap(RunSteps::hourglassAfterMarks, [&] { observer.busy(); });
    }
    trap(RunSteps::defaultPointer, [&] { observer.idle(); });
    trap(RunSteps::progressAtRest, [&] { observer.runEnded(outcome); });
    trap(RunSteps::doneBox, [&] { observer.showBox(messages::kDone); });
    addFailures(outcome.runFailures, trap);
    return outcome;
}

} // namespace pellucor
