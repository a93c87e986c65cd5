#pragma once

#include "Outcome.h"
#include "SpacingMode.h"
#include "word/EditOptions.h"

#include <string>

namespace pellucor::tools {

// Runs the batch on one document for one mark, as the command line and the
// window run it, without boxes, and leaves the result at output: saved into
// output's folder when output has the input's name there, else in place
// (on a copy at output, unless output is the input). A document that failed
// raises the error the run reported, which names it and says why; one skipped
// for a protection that cannot be removed is returned so. Either way no
// result is left at output. For the benchmarks, the corpus tests and
// pellucor-wordwalk.
DocumentOutcome runBatchOn(const std::string& input, const std::string& output,
                           const std::string& mark, Word1::Mode mode,
                           const word::EditOptions& edit = {});

} // namespace pellucor::tools
