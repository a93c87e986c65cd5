#pragma once

#include "BatchRun.h"
#include "Console.h"
#include "DryRun.h"
#include "Inputs.h"
#include "Progress.h"

#include <optional>
#include <vector>

namespace pellucor::converter {
class ConverterService;
}

namespace pellucor::cli {

// What every job does with each of its documents.
struct JobSettings {
    Word1::Mode mode = Word1::Mode::Add;
    std::vector<std::string> marks;
    bool inPlace = false;
    std::string outFolder;    // results go below it when not in place
    std::string backupSuffix; // in place: each document is first copied to its name + this
    word::EditOptions edit;
    converter::ConverterService* conversions = nullptr; // the program's LibreOffices
};

// What all jobs did: each listed document's outcome by its place among all
// given (none for a document no job reached), and the errors outside any
// document.
struct JobsOutcome {
    std::vector<std::optional<DocumentOutcome>> documents;
    std::vector<std::string> errorsOutside;
};

// How many documents may be worked on side by side: `wanted`, fewer when the
// memory budgets of the largest documents would not fit together in the
// memory available; at least one.
unsigned jobsThatFit(const std::vector<ListedFile>& files, unsigned wanted);

// The run of every document in at most `jobs` threads that take the next
// document as they become free, each thread with its own engine and prompts
// for all its documents. Results go below the output folder as the documents
// lie below the folders given. The checks before a run (output folder, word
// processor, results landing on each other) are the caller's.
// `documentCount` is the number of documents given, of which `files` are to
// be processed.
JobsOutcome runJobs(const JobSettings& settings, const std::vector<ListedFile>& files,
                    size_t documentCount, unsigned jobs, Progress& progress);

// The dry run of every document, shared among the jobs as runJobs shares
// them; the places that would change are printed on standard output as they
// are found, in the order of the documents.
JobsOutcome runDryJobs(const JobSettings& settings, const std::vector<ListedFile>& files,
                       unsigned jobs, Progress& progress, Console& console);

} // namespace pellucor::cli
