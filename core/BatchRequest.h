#pragma once

#include "Outcome.h"
#include "SpacingMode.h"
#include "word/EditOptions.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace pellucor {

// What a batch run is asked to do: every document, once for each mark, in
// order. Where a result goes is asked anew at each open and each save of a
// document, so that a window can change its mind while the run works.
struct BatchRequest {
    std::vector<std::string> documents;
    std::vector<std::string> marks;
    // When given, asked at the start of each document instead of `marks`:
    // the marks as a list the user may edit during the run stands then.
    std::function<std::vector<std::string>()> marksNow;
    Word1::Mode mode = Word1::Mode::None;
    // Whether document k (0-based) is saved over itself; always when not given.
    std::function<bool(size_t document)> inPlace;
    // The folder document k's result is saved into when it is not saved in
    // place; asked just before each save.
    std::function<std::string(size_t document)> outputFolder;
    word::EditOptions edit;
    // When given, run once document k is locked against other runs and
    // before its first mark (a backup copy is kept here). What it throws
    // fails the document, and none of its marks runs.
    std::function<void(size_t document)> beforeChanging;
    // Where the run's error report boxes say an error happened: the caller's
    // own module and procedure.
    std::string trapModule = "BatchRun";
    std::string trapProcedure = "RunBatch";
};

// Told what a run does as it goes. Each event runs in the run's own error
// trap: one that fails is reported as the run's and the run goes on.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;

    // Before the first document, with the number the run will work on.
    virtual void runStarted(size_t /*documents*/) {}
    // The run is at work: before each document and around its passes.
    virtual void busy() {}
    // Document `index` (0-based) begins: first its share of the run, then
    // its path.
    virtual void documentShare(size_t /*index*/) {}
    virtual void documentStarted(size_t /*index*/, const std::string& /*path*/) {}
    // Pending events may run now: before each document, at each word and
    // while another process works for the run.
    virtual void letEventsIn() {}
    // How far the document in hand is walked, 0 to 100.
    virtual void progress(double /*percent*/) {}
    // One pass of document `index` ended.
    virtual void markDone(size_t /*index*/, const MarkOutcome& /*outcome*/) {}
    // After the last document: the run is no longer at work, then it ended.
    virtual void idle() {}
    virtual void runEnded(const BatchOutcome& /*outcome*/) {}
    // A message for the user, such as the run's last word.
    virtual void showBox(const std::string& /*text*/) {}
};

} // namespace pellucor
