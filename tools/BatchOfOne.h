#pragma once

#include "Outcome.h"
#include "SpacingMode.h"
#include "word/EditOptions.h"

#include <string>

namespace pellucor::converter {
class ConverterService;
}

namespace pellucor::tools {

// Runs the batch on one document for one mark, as the command line and the
// window run it, without boxes, and leaves the result at output: in place
// when output is the input, else saved into an output folder as --out saves
// (output's own, or one beside it when the names differ). A document that
// failed raises the error the run reported, which names it and says why; one
// skipped for a protection that cannot be removed is returned so. Either way
// output is left as it was. For the benchmarks, the corpus tests and
// pellucor-wordwalk. Other formats are converted through the LibreOffices of
// conversions, or by a process of their own each without it.
DocumentOutcome runBatchOn(const std::string& input, const std::string& output,
                           const std::string& mark, Word1::Mode mode,
                           const word::EditOptions& edit = {},
                           converter::ConverterService* conversions = nullptr);

} // namespace pellucor::tools
