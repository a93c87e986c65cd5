#pragma once

#include "Console.h"
#include "Jobs.h"

#include <string>
#include <vector>

namespace pellucor::cli {

// The lines that tell what went wrong with each document, in the order the
// documents were given: "pellucor-cli: FILE: what went wrong", one a distinct
// error, and the errors outside any document.
std::vector<std::string> problemLines(const JobsOutcome& outcome,
                                      const std::vector<ListedFile>& files);

// "N changed, U unchanged, P protected, F failed"; a document no job reached
// counts as failed.
std::string summaryLine(const JobsOutcome& outcome);

// Whether every document was changed or needed no change.
bool allWell(const JobsOutcome& outcome);

} // namespace pellucor::cli
