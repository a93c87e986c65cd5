#include "Report.h"

#include "base/ShownName.h"
#include "WordsDump.h"

#include <algorithm>

namespace pellucor::cli {
namespace {

using Result = MarkOutcome::Result;

constexpr const char* kProgram = "pellucor-cli: ";
constexpr const char* kProtected =
    "protected, and its protection cannot be removed without its password; left as it was";

Result resultOf(const std::optional<DocumentOutcome>& document) {
    return document ? document->result() : Result::Failed;
}

void addOnce(std::vector<std::string>& lines, std::string line) {
    if (std::find(lines.begin(), lines.end(), line) == lines.end())
        lines.push_back(std::move(line));
}

// A failed document has no result, whatever an earlier pass saved.
std::string savedTo(const DocumentOutcome& document) {
    if (document.result() == Result::Failed)
        return "";
    for (auto mark = document.marks.rbegin(); mark != document.marks.rend(); ++mark)
        if (!mark->savedTo.empty())
            return mark->savedTo;
    return "";
}

std::string orNull(const std::string& text) {
    return text.empty() ? "null" : jsonString(text);
}

std::string documentJson(const std::optional<DocumentOutcome>& document, const std::string& path,
                         bool dryRun) {
    // A mark given twice is one key, counting both passes.
    std::vector<std::pair<std::string, int>> counts;
    if (document)
        for (const MarkOutcome& mark : document->marks) {
            auto found = std::find_if(counts.begin(), counts.end(),
                                      [&](const auto& count) { return count.first == mark.mark; });
            if (found == counts.end())
                counts.emplace_back(mark.mark, mark.wordsRewritten);
            else
                found->second += mark.wordsRewritten;
        }
    std::string marks;
    for (const auto& [mark, count] : counts)
        marks += (marks.empty() ? "" : ", ") + jsonString(mark) + ": " + std::to_string(count);
    const std::vector<std::string> problems = documentProblems(document);
    return "{\"path\": " + jsonString(path) +
           ", \"output\": " + (dryRun || !document ? "null" : orNull(savedTo(*document))) +
           ", \"status\": " + jsonString(resultName(resultOf(document))) +
           ", \"changes\": " + std::to_string(document ? document->wordsRewritten() : 0) +
           ", \"marks\": {" + marks +
           "}, \"error\": " + (problems.empty() ? "null" : jsonString(problems.front())) + "}";
}

size_t countOf(const JobsOutcome& outcome, Result result) {
    return static_cast<size_t>(std::count_if(outcome.documents.begin(), outcome.documents.end(),
                                             [&](const auto& d) { return resultOf(d) == result; }));
}

} // namespace

std::vector<std::string> documentProblems(const std::optional<DocumentOutcome>& document) {
    if (!document)
        return {"not processed"};
    std::vector<std::string> problems;
    for (const MarkOutcome& mark : document->marks) {
        for (const Failure& failure : mark.failures)
            addOnce(problems, failure.description);
        if (mark.result() == Result::Protected)
            addOnce(problems, kProtected);
    }
    return problems;
}

std::vector<std::string> problemLines(const JobsOutcome& outcome,
                                      const std::vector<ListedFile>& files) {
    std::vector<std::string> lines;
    for (const ListedFile& file : files)
        for (const std::string& problem : documentProblems(outcome.documents.at(file.index)))
            lines.push_back(kProgram + shownName(file.path) + ": " + problem);
    for (const std::string& error : outcome.errorsOutside)
        lines.push_back(kProgram + error);
    return lines;
}

std::string visible(const std::string& text) {
    std::string shown;
    for (char c : text) {
        if (c == ' ')
            shown += "\u00b7";
        else if (c == '\t')
            shown += "\u21e5";
        else if (c == '\r' || c == '\n')
            shown += "\u00b6";
        else
            shown += c;
    }
    return shown;
}

std::string placeLine(const std::string& path, const Word1::Place& place) {
    return shownName(path) + ": word " + std::to_string(place.word) + ": \u2026" +
           visible(place.before) + "\u2026 -> \u2026" + visible(place.after) + "\u2026";
}

std::string summaryLine(const JobsOutcome& outcome) {
    auto part = [&](Result result) {
        return std::to_string(countOf(outcome, result)) + " " + resultName(result);
    };
    return part(Result::Changed) + ", " + part(Result::Unchanged) + ", " + part(Result::Protected) +
           ", " + part(Result::Failed);
}

bool allWell(const JobsOutcome& outcome) {
    return outcome.errorsOutside.empty() &&
           std::all_of(outcome.documents.begin(), outcome.documents.end(),
                       [](const auto& document) {
                           Result result = resultOf(document);
                           return result == Result::Changed || result == Result::Unchanged;
                       });
}

size_t changeCount(const JobsOutcome& outcome) {
    size_t changes = 0;
    for (const auto& document : outcome.documents)
        if (document)
            changes += static_cast<size_t>(document->wordsRewritten());
    return changes;
}

std::string jsonReport(const JobsOutcome& outcome, const std::vector<ListedFile>& files,
                       bool dryRun) {
    std::string json = "{\"documents\": [";
    for (size_t k = 0; k < files.size(); ++k)
        json += (k ? ",\n  " : "\n  ") +
                documentJson(outcome.documents.at(files[k].index), files[k].path, dryRun);
    json += files.empty() ? "],\n" : "\n],\n";
    for (Result result : {Result::Changed, Result::Unchanged, Result::Protected, Result::Failed})
        json += std::string(" \"") + resultName(result) +
                "\": " + std::to_string(countOf(outcome, result)) +
                (result == Result::Failed ? "\n}\n" : ",\n");
    return json;
}

} // namespace pellucor::cli
