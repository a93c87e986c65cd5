#pragma once

#include "Outcome.h"
#include "Services.h"

namespace pellucor {

// The progress text while no document is being worked on.
inline constexpr const char* kProgressAtRest = "Progress Bar";

// "Start Changing": every listed file, once for each ticked mark in list
// order, through the spacing engine, with the hourglass and the progress bar
// showing the work; "Done." at the end. A second start while one runs does
// nothing. Errors of its own steps go to its error report box. Returns what
// the run did, document by document, for callers that report it other than
// in boxes.
BatchOutcome RunBatch(Services& services);

} // namespace pellucor
