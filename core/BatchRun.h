#pragma once

#include "base/ErrorTrap.h"
#include "BatchRequest.h"
#include "Outcome.h"
#include "services/WordAutomation.h"

namespace pellucor {

// The statements of a run: the line numbers its error report boxes show, and
// what each does.
struct RunSteps {
    static constexpr TrapStep hourglassAtStart{61, "show progress"};
    static constexpr TrapStep readFiles{62, "read the lists"};
    static constexpr TrapStep showShare{63, "show progress"};
    static constexpr TrapStep showFileName{64, "show progress"};
    static constexpr TrapStep letEventsIn{65, "show progress"};
    static constexpr TrapStep hourglassBeforeMarks{66, "show progress"};
    static constexpr TrapStep readMarks{67, "read the lists"};
    static constexpr TrapStep hourglassAfterMarks{68, "show progress"};
    static constexpr TrapStep defaultPointer{7, "show progress"};
    static constexpr TrapStep progressAtRest{8, "show progress"};
    static constexpr TrapStep doneBox{9, "report the end"};
};

// The run of a request: every document, once for each mark, through the
// spacing engine, telling the observer as it goes and "Done." at the end.
// It checks nothing before it starts: the caller has. Each document is locked
// against other runs for the whole of its marks. A stop requested meanwhile
// ends it after the document in hand, whose marks all run (or which is put
// back as it was when one of them fails); the documents after it are not
// processed. Errors of its own steps go to its error report box, which names the
// request's trap module and procedure. Returns what the run did, document by
// document.
BatchOutcome RunBatch(const BatchRequest& request, BatchObserver& observer,
                      platform::Prompts& prompts, platform::WordAutomation& automation);

} // namespace pellucor
