#pragma once

#include "Console.h"
#include "Jobs.h"

#include <string>
#include <vector>

namespace pellucor::cli {

// What went wrong with one document, each distinct error once: the errors'
// descriptions, or that it was protected or never reached.
std::vector<std::string> documentProblems(const std::optional<DocumentOutcome>& document);

// The lines that tell what went wrong with each document, in the order the
// documents were given: "pellucor-cli: FILE: what went wrong", one a distinct
// error; one line for all the documents not processed; and the errors
// outside any document.
std::vector<std::string> problemLines(const JobsOutcome& outcome,
                                      const std::vector<ListedFile>& files);

// "pellucor-cli: FILE: ..." for each document whose changes were made
// outright although tracked changes were asked for: its format holds none.
std::vector<std::string> outrightLines(const JobsOutcome& outcome,
                                       const std::vector<ListedFile>& files);

// A dry run's place in the document at path: "FILE: word N: before ->
// after", the words around the place with their spaces shown as dots
// ("FILE: footnote 3: word N: ..." for a place outside the main story), or
// "FILE: protection: removed", "FILE: frame N: removed", "FILE: table
// position N: removed".
std::string placeLine(const std::string& path, const Word1::Place& place);

// The text with its spaces, tabs and paragraph ends made visible.
std::string visible(const std::string& text);

// "N changed, U unchanged, P protected, F failed", and ", S not processed"
// when the run stopped before some documents (or no job reached them).
std::string summaryLine(const JobsOutcome& outcome);

// Whether every document was changed or needed no change.
bool allWell(const JobsOutcome& outcome);

// The number of places changed, or that would change in a dry run: words,
// frames, table positions and protection removed.
size_t changeCount(const JobsOutcome& outcome);

// The run as JSON: {"documents": [{"path", "output", "status", "changes",
// "marks": {MARK: N} for each mark of the run, "frames_removed",
// "table_positions_removed", "protection_removed", "error"}], "changed",
// "unchanged", "protected", "failed"}; "output" and "error" are null when
// there is none, "output" always in a dry run. With allStories each document
// also has "stories": {STORY: N} for each kind of story with changes ("main",
// "footnote", ...).
std::string jsonReport(const JobsOutcome& outcome, const std::vector<ListedFile>& files,
                       const std::vector<std::string>& runMarks, bool dryRun,
                       bool allStories = false);

// A line for each document, in the order given: "FILE: STATUS, N changes",
// what was removed (", removed: 1 frame, protection"), and " -> OUTPUT" when
// it was saved.
std::vector<std::string> documentLines(const JobsOutcome& outcome,
                                       const std::vector<ListedFile>& files, bool dryRun);

} // namespace pellucor::cli
